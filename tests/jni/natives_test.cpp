// Every native of QuorbImport through a fake Java environment: each one
// once on a live session and once with null handles and texts, each text
// parameter with the Java machine out of memory, and the text conversions.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "fake_java_env.h"
#include "native_table.h"
#include "quorb.h"

namespace {

jvalue Int(jint value) {
  jvalue v{};
  v.i = value;
  return v;
}

jvalue Str(jstring value) {
  jvalue v{};
  v.l = value;
  return v;
}

class NativeSession;

// A native that reads a callback's context runs inside the host callback
// of the function Probe, with the context it is given.
struct Probe {
  NativeSession* session = nullptr;
  const Native* native = nullptr;
  Outcome outcome;
  bool called = false;
  int getsBeforeFailure = -1;
};
Probe probe;
void QUORB_CALLBACK ProbeCallback(QuorbPart* part);

jint AddressOf(QuorbCallback callback) { return static_cast<jint>(reinterpret_cast<uintptr_t>(callback)); }

// A session made through the natives: an instance, a variable, a parsed
// expression, the Double type, a transform, one of its rules and the host
// function Probe.
class NativeSession {
 public:
  FakeJavaEnv java;
  jint instance, item, expression, type, transform, rule;
  jint part = 0;  // the context of a running callback

  NativeSession() {
    instance = Handle("CreateQuorb", {Int(0)});
    item = Handle("DefineVariable", {Int(instance), Text("v = 2"), Int(0)});
    expression = Handle("Parse", {Int(instance), Text("v+1"), Text("")});
    type = Handle("DataTypeOfIndex", {Int(instance), Int(14)});
    transform = Handle("NewTransform", {Int(instance)});
    rule = Handle("FromTo", {Int(transform), Text("a"), Text("b")});
    Handle("DefineFunction", {Int(instance), Text("Probe(a, b)"), Int(AddressOf(&ProbeCallback))});
  }
  ~NativeSession() {
    if (instance != 0) Call("ReleaseQuorb", {Int(instance)});
  }

  jvalue Text(const std::string& bytes) { return Str(java.NewString(bytes)); }
  Outcome Call(const std::string& name, const std::vector<jvalue>& args) {
    return NativeNamed(name).call(java.Env(), args);
  }
  jint Handle(const std::string& name, const std::vector<jvalue>& args) {
    return static_cast<jint>(Call(name, args).integer);
  }

  // An argument of the C type `ctype` that acts on this session; items are
  // the rule for the transform family, the variable for the others.
  jvalue ArgFor(const std::string& ctype, bool rules) {
    jvalue v{};
    if (ctype == "const char*") return Text("x");
    if (ctype == "QuorbInstance*") return Int(instance);
    if (ctype == "QuorbItem*") return Int(rules ? rule : item);
    if (ctype == "QuorbExpression*") return Int(expression);
    if (ctype == "QuorbType*") return Int(type);
    if (ctype == "QuorbTransform*") return Int(transform);
    if (ctype == "QuorbPart*") return Int(part);
    if (ctype.back() == '*' || ctype.find("Callback") != std::string::npos || ctype.find("Handler") != std::string::npos)
      return v;  // host memory, callbacks and a callback's context: none here
    if (ctype == "int64_t") v.j = 2;
    else if (ctype == "double") v.d = 1.5;
    else if (ctype == "float") v.f = 1.5f;
    else if (ctype == "uint8_t") v.b = 1;
    else if (ctype == "int16_t") v.s = 1;
    else v.i = 1;
    return v;
  }
  std::vector<jvalue> ArgsFor(const Native& native) {
    std::vector<jvalue> args;
    for (const std::string& ctype : native.params) args.push_back(ArgFor(ctype, native.transformFamily));
    return args;
  }
};

void QUORB_CALLBACK ProbeCallback(QuorbPart* part) {
  NativeSession& session = *probe.session;
  session.part = static_cast<jint>(reinterpret_cast<uintptr_t>(part));
  if (probe.getsBeforeFailure >= 0) session.java.FailGetAfter(probe.getsBeforeFailure);
  probe.outcome = probe.native->call(session.java.Env(), session.ArgsFor(*probe.native));
  probe.called = true;
  session.part = 0;
}

bool IsText(const std::string& ctype) { return ctype == "const char*"; }

bool ReadsACallbackContext(const Native& native) {
  for (const std::string& ctype : native.params)
    if (ctype == "QuorbPart*") return true;
  return false;
}

// Calls `native` on the session, from inside Probe when it reads a
// callback's context; with `getsBeforeFailure` set, that many strings can be
// read before the Java machine runs out of memory.
Outcome CallOnSession(const Native& native, NativeSession& session, int getsBeforeFailure = -1) {
  if (!ReadsACallbackContext(native)) {
    if (getsBeforeFailure >= 0) session.java.FailGetAfter(getsBeforeFailure);
    return native.call(session.java.Env(), session.ArgsFor(native));
  }
  probe = Probe{&session, &native, Outcome(), false, getsBeforeFailure};
  session.Call("Eval", {Int(session.instance), session.Text("Probe(1, 2)")});
  EXPECT_TRUE(probe.called) << native.name << " was not called back";
  return probe.outcome;
}

size_t TextParams(const Native& native) {
  size_t count = 0;
  for (const std::string& ctype : native.params) count += IsText(ctype);
  return count;
}

void ExpectSoundCall(const Native& native, const Outcome& outcome, const FakeJavaEnv& java) {
  EXPECT_TRUE(java.Faults().empty()) << native.name << ": " << java.Faults().front();
  EXPECT_EQ(java.Held(), 0) << native.name << " kept a string's bytes";
  if (IsText(native.result)) {
    EXPECT_FALSE(outcome.isNull) << native.name;
  }
}

TEST(EveryNative, ActsOnALiveSession) {
  for (const Native& native : AllNatives()) {
    NativeSession session;
    const Outcome outcome = CallOnSession(native, session);
    ExpectSoundCall(native, outcome, session.java);
    if (native.name == "ReleaseQuorb") session.instance = 0;
  }
}

TEST(EveryNative, TakesNullHandlesAndNullTexts) {
  for (const Native& native : AllNatives()) {
    FakeJavaEnv java;
    const Outcome outcome = native.call(java.Env(), std::vector<jvalue>(native.params.size(), jvalue{}));
    ExpectSoundCall(native, outcome, java);
    for (const std::string& call : java.Calls()) EXPECT_NE(call, "get") << native.name << " read a null string";
    if (native.name == "CreateQuorb") NativeNamed("ReleaseQuorb").call(java.Env(), {Int(static_cast<jint>(outcome.integer))});
  }
}

// A failed GetStringUTFChars leaves an OutOfMemoryError pending: the native
// gives back what it holds and returns a neutral value with no other call.
TEST(EveryNative, StopsAtOnceWhenAStringCannotBeRead) {
  int checked = 0;
  for (const Native& native : AllNatives()) {
    for (size_t failing = 0; failing < TextParams(native); ++failing) {
      NativeSession session;
      const Outcome outcome = CallOnSession(native, session, static_cast<int>(failing));
      EXPECT_TRUE(session.java.Faults().empty()) << native.name << ": " << session.java.Faults().front();
      EXPECT_EQ(session.java.Held(), 0) << native.name;
      EXPECT_EQ(session.java.Calls().back(), "get") << native.name;
      EXPECT_TRUE(outcome.isText ? outcome.isNull : outcome.integer == 0 && outcome.number == 0) << native.name;
      ++checked;
    }
  }
  EXPECT_GT(checked, 0);
}

TEST(JavaText, NullStringIsTheEmptyText) {
  NativeSession session;
  const jint fromNull = session.Handle("Parse", {Int(session.instance), Str(nullptr), Str(nullptr)});
  const jint fromEmpty = session.Handle("Parse", {Int(session.instance), session.Text(""), session.Text("")});
  EXPECT_EQ(session.Call("EvaluateStr", {Int(fromNull)}).bytes, session.Call("EvaluateStr", {Int(fromEmpty)}).bytes);
  EXPECT_TRUE(session.java.Faults().empty());
}

// Texts from the library reach Java as modified UTF-8 whatever their bytes,
// here the content of a file read by an expression.
TEST(JavaText, LibraryBytesBecomeModifiedUtf8) {
  struct Case {
    std::string bytes, java;
  };
  const std::vector<Case> cases = {
      {std::string("a\0b", 3), "a\xC0\x80" "b"},                      // NUL
      {"\xC3\xA9\xE2\x82\xAC", "\xC3\xA9\xE2\x82\xAC"},               // two and three bytes pass
      {"\xF0\x9F\x98\x80", "\xED\xA0\xBD\xED\xB8\x80"},               // four bytes: a surrogate pair
      {"\xED\xA0\xBD\xED\xB8\x80", "\xED\xA0\xBD\xED\xB8\x80"},       // Java's own pair passes
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},                             // a byte that starts nothing
      {"\xC1\x81", "\xEF\xBF\xBD\xEF\xBF\xBD"},                       // overlong
      {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"},                       // cut short
      {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // past U+10FFFF
  };
  const std::string path = ::testing::TempDir() + "quorb_jni_bytes.bin";
  NativeSession session;
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary) << c.bytes;
    const Outcome out = session.Call("EvalStr", {Int(session.instance), session.Text("File(\"" + path + "\")")});
    EXPECT_EQ(out.bytes, c.java) << "bytes of length " << c.bytes.size();
    EXPECT_TRUE(IsModifiedUtf8(out.bytes));
  }
  std::remove(path.c_str());
  EXPECT_TRUE(session.java.Faults().empty());
}

TEST(JavaText, NonAsciiTextCrossesBothWays) {
  NativeSession session;
  const std::string text = "\"\xC3\xA9\xED\xA0\xBD\xED\xB8\x80\"";  // U+00E9 and U+1F600 as Java sends them
  EXPECT_EQ(session.Call("EvalStr", {Int(session.instance), session.Text(text)}).bytes, text.substr(1, text.size() - 2));
}

TEST(JavaText, EachResultIsAStringOfItsOwn) {
  NativeSession session;
  const Outcome first = session.Call("EvalStr", {Int(session.instance), session.Text("1+1")});
  const Outcome second = session.Call("EvalStr", {Int(session.instance), session.Text("2+2")});
  EXPECT_EQ(first.bytes, "2");
  EXPECT_EQ(second.bytes, "4");
}

TEST(JavaValues, CrossUnchanged) {
  NativeSession session;
  const jint h = session.Handle("DefineVariable", {Int(session.instance), session.Text("h = 5"), Int(0)});
  jvalue none{};
  EXPECT_EQ(session.Handle("HandleOf", {Int(session.instance), session.Text("h"), none, Int(0)}), h);
  EXPECT_EQ(session.Call("Properties", {Int(session.instance), Int(40), Int(0), Int(0), Int(0)}).integer, 1LL << 40);
  EXPECT_EQ(session.Call("Evaluate", {Int(session.expression)}).number, 3.0);
  EXPECT_EQ(session.Call("WasModified", {Int(0)}).integer, 0);
}

// ResetArray gives nothing back: its Java method is void, as its export.
TEST(JavaValues, ResetArrayHasNoResult) { EXPECT_EQ(NativeNamed("ResetArray").result, "void"); }

// A byte value reads back sign-extended into the Java byte, and a Java byte
// is stored with the same bits.
TEST(JavaValues, BytesKeepTheirBits) {
  NativeSession session;
  const jint b = session.Handle("DefineVariable", {Int(session.instance), session.Text("b As Byte = 200"), Int(0)});
  EXPECT_EQ(session.Call("ValueByte", {Int(b)}).integer, -56);
  jvalue minusOne{};
  minusOne.b = -1;
  session.Call("SetVariableValueByte", {Int(b), minusOne});
  EXPECT_EQ(session.Call("ValueInt32", {Int(b)}).integer, 255);
}

TEST(JavaValues, CallbackContextCrossesAsAnInt) {
  NativeSession session;
  const Native& argCount = NativeNamed("ArgCount");
  probe = Probe{&session, &argCount, Outcome(), false, -1};
  EXPECT_EQ(session.Call("Eval", {Int(session.instance), session.Text("Probe(1, 2)")}).number, 0.0);
  EXPECT_EQ(probe.outcome.integer, 2);
}

}  // namespace
