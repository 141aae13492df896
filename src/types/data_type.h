// QuorbDataType: the interface through which every value is allocated,
// copied, reset, freed, parsed and printed. A value is untyped storage plus
// the data-type object the caller keeps beside it; a value never records its
// own type. The sixteen storage classes are in value_classes.h.
#ifndef QUORB_TYPES_DATA_TYPE_H
#define QUORB_TYPES_DATA_TYPE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace QuorbNameSpace {

class QuorbItem;

// The room an item keeps for a small value of its own: every fixed-width
// number class of at most 8 bytes fits, so a literal or temporary of those
// needs no allocation for its value. Wider values (Complex), text and Void
// slots are allocated.
inline constexpr size_t SmallValueRoom = 8;

class QuorbDataType {
 public:
  std::string Name;                      // the type's name as defined; empty in prototypes
  QuorbItem* Item = nullptr;             // defining item; not owned; null in prototypes
  int32_t Index = 0;                     // BuiltInTypesEnum number
  std::vector<void*> ValuePool;          // parameter buffers of user functions; only grows
  size_t ValuePoolUsed = 0;              // buffers in use, counted from the front
  std::vector<QuorbItem*> Outputs;       // output-format items; not owned

  virtual ~QuorbDataType() = default;

  virtual size_t SizeOf() = 0;
  // A new array of n reset values; free it with DeleteArray.
  virtual void* AllocArrayValue(size_t n) = 0;
  // A new value parsed from text; null when the text is not a number of the
  // class or is out of its range (nothing is allocated then).
  virtual void* AllocScalarValue(std::string text) = 0;
  // A new value holding a copy of the value at `value`.
  virtual void* AllocScalarValue(const void* value) = 0;
  // A new value parsed from text, made in `room` (SmallValueRoom bytes,
  // aligned to 8) when the class's values fit there and allocated as by
  // AllocScalarValue(text) otherwise; null when the text does not parse. A
  // value made in `room` lives as long as the room and is never passed to
  // DeleteScalar.
  virtual void* MakeScalarValue(std::string text, void* room);
  virtual void DeleteScalar(void* value) = 0;   // null does nothing
  virtual void DeleteArray(void* array) = 0;    // null does nothing
  virtual void SetValue(void* dest, const void* source) = 0;
  virtual void SetValue(void* array, const void* source, size_t index) = 0;
  virtual void Swap(void* a, void* b) = 0;
  virtual void Reset(void* value) = 0;
  // Resets every element of an array made by AllocArrayValue; returns it.
  virtual void* ResetArray(void* array) = 0;
  virtual std::string ToString(const void* value) = 0;

  // A string literal must parse as text, not be copied as a value address.
  void* AllocScalarValue(const char* text) { return AllocScalarValue(std::string(text)); }

  // The value as text, with the type's output formats applied.
  std::string ToStringFormatted(const void* value);
  // `text` passed through the type's output formats, the one added last
  // first. Unchanged when the type has none or a format is already running.
  std::string ToStringFormatted(const std::string& text);
  std::string ToStringFormatted(const char* text) { return ToStringFormatted(std::string(text)); }

  // Frees every buffer of ValuePool through this type. Called by the defining
  // item's release, never by the destructor (no virtual calls from there).
  void FreeValuePool();
};

// Numbers as a default-configured output string stream writes them:
// integers in plain decimal, floating point with 6 significant digits.
std::string To_String(uint64_t value);
std::string To_String(int64_t value);
std::string To_String(double value);
std::string To_String(float value);

}  // namespace QuorbNameSpace

#endif
