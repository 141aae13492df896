// The non-virtual parts of QuorbDataType and the number printers every value
// class prints through.
#include "types/data_type.h"

#include <cmath>
#include <locale>
#include <sstream>
#include <utility>

namespace QuorbNameSpace {

namespace {

// Whatever a default-configured stream writes: plain decimal for integers,
// six significant digits in the default notation for floating point. The
// stream takes the classic locale, not the host's global one: a German
// host must not get "2,5" or digit grouping.
template <typename Number>
std::string StreamText(Number value) {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  stream << value;
  return stream.str();
}

}  // namespace

void* QuorbDataType::MakeScalarValue(std::string text, void*) { return AllocScalarValue(std::move(text)); }

std::string To_String(uint64_t value) { return StreamText(value); }
std::string To_String(int64_t value) { return StreamText(value); }
// A NaN is spelled by its sign bit: C runtimes disagree on whether a stream
// shows it (mingw-w64's never does), and every build must print the same.
std::string To_String(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  return StreamText(value);
}
std::string To_String(float value) { return To_String(static_cast<double>(value)); }

void QuorbDataType::FreeValuePool() {
  for (void* value : ValuePool) DeleteScalar(value);
  ValuePool.clear();
  ValuePoolUsed = 0;
}

}  // namespace QuorbNameSpace
