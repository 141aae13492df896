// Exports: a transform's input, its expansion, and the texts it gives back.
#include "api/transform_boundary.h"

using namespace QuorbApi;

namespace {

// Sets one of the transform's list texts.
QuorbTransform* SetListText(QuorbTransform* handle, std::string StringLocation::Recording::*field, const char* text) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    transform.Record.*field = TextIn(text);
    return handle;
  });
}

// `given`, or the transform's own list text when `given` is empty.
std::string ListText(const char* given, const std::string& own) {
  std::string text = TextIn(given);
  return text.empty() ? own : text;
}

}  // namespace

extern "C" {

QUORB_API QuorbTransform* SetInput(QuorbTransform* handle, const char* text) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    if (IsBusy(transform)) return Refused(transform);
    transform.SetTransformInput(TextIn(text));
    return handle;
  });
}

QUORB_API QuorbTransform* SetInputByRef(QuorbTransform* handle, void* target) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    if (IsBusy(transform)) return Refused(transform);
    if (target == nullptr) {
      // Detached: no later run writes into a string the host let go.
      transform.Attached.InputRefTarget = nullptr;
      transform.SetBit(QuorbNameSpace::IsByRef, false);
    } else {
      transform.SetTransformInputByRef(static_cast<std::string*>(target));
    }
    return handle;
  });
}

QUORB_API QuorbTransform* Transform(QuorbTransform* handle) {
  return OnTransform<QuorbTransform*>(handle, nullptr, [&](StringLocation& transform) {
    if (IsBusy(transform)) return Refused(transform);
    transform.Expand(0, QuorbNameSpace::NoPosition - 1);  // the whole text, whatever the range was
    return handle;
  });
}

QUORB_API const char* ResultStr(QuorbTransform* handle) {
  static std::string text;
  return TextFromTransform(handle, text, [](StringLocation& transform) { return transform.Input(); });
}

QUORB_API int32_t WasModified(QuorbTransform* handle) {
  return handle != nullptr && Engine(handle)->WasModified() ? 1 : 0;
}

QUORB_API const char* Expand(QuorbTransform* handle, const char* text) {
  static std::string result;
  return TextFromTransform(handle, result, [&](StringLocation& transform) { return transform.Expand(TextIn(text)); });
}

QUORB_API const char* ExpandWithSteps(QuorbTransform* handle, const char* text, const char* separator,
                                      const char* prefix, const char* postfix) {
  static std::string result;
  return TextFromTransform(handle, result, [&](StringLocation& transform) {
    const std::string input = TextIn(text);
    transform.Record.Steps.clear();
    transform.Record.Steps.push_back(input);
    transform.SetBit(QuorbNameSpace::IsRecordingSteps, true);
    struct StopRecording {
      StringLocation& transform;
      ~StopRecording() { transform.SetBit(QuorbNameSpace::IsRecordingSteps, false); }
    } stop{transform};
    transform.Expand(input);
    const std::string between = ListText(separator, transform.Record.ListSeparator);
    std::string list = ListText(prefix, transform.Record.ListPrefix);
    for (size_t i = 0; i < transform.Record.Steps.size(); ++i) {
      if (i > 0) list += between;
      list += transform.Record.Steps[i];
    }
    list += ListText(postfix, transform.Record.ListPostfix);
    return list;
  });
}

QUORB_API QuorbTransform* ListPrefix(QuorbTransform* transform, const char* prefix) {
  return SetListText(transform, &StringLocation::Recording::ListPrefix, prefix);
}

QUORB_API QuorbTransform* ListSeparator(QuorbTransform* transform, const char* separator) {
  return SetListText(transform, &StringLocation::Recording::ListSeparator, separator);
}

QUORB_API QuorbTransform* ListPostfix(QuorbTransform* transform, const char* postfix) {
  return SetListText(transform, &StringLocation::Recording::ListPostfix, postfix);
}

QUORB_API QuorbTransform* ListDelimiters(QuorbTransform* transform, const char* prefix, const char* separator,
                                         const char* postfix) {
  ListPrefix(transform, prefix);
  ListPostfix(transform, postfix);
  return ListSeparator(transform, separator);
}

}  // extern "C"
