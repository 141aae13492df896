// The two floating-point value classes: text through strtof/strtod, printing
// through To_String. Storage operations come from FixedWidthType.
#include <string>

#include "types/fixed_width_type.h"
#include "types/number_parsing.h"
#include "types/value_classes.h"

namespace QuorbNameSpace {

bool dt_Float_Single::ParseText(const std::string& text, float& out) const {
  return ParseFloatText(text, out) == ParseStatus::Ok;
}
std::string dt_Float_Single::PrintValue(const float& value) const { return To_String(value); }

bool dt_Float_Double::ParseText(const std::string& text, double& out) const {
  return ParseDoubleText(text, out) == ParseStatus::Ok;
}
std::string dt_Float_Double::PrintValue(const double& value) const { return To_String(value); }

template class FixedWidthType<dt_Float_Single, float>;
template class FixedWidthType<dt_Float_Double, double>;

}  // namespace QuorbNameSpace
