// A Java host's session with the Quorb library through QuorbImport, run on
// a real 32-bit Java machine: create, define, parse, evaluate, read items,
// types and errors, bind a native callback, rewrite text, release; then
// every native once with empty arguments, so a native the library lacks
// fails here. Prints a summary line the test driver matches; exits
// non-zero on a failed check.
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import org.quorb.QuorbImport;

public final class QuorbSessionTest {
  private static int failures = 0;

  private static void check(boolean ok, String what) {
    if (!ok) {
      ++failures;
      System.out.println("FAILED: " + what);
    }
  }

  private static void expressions(int q) {
    check(QuorbImport.Handle1Overload1Quorb(q) == q, "an instance handle crosses unchanged");
    int x = QuorbImport.DefineVariable(q, "x = 3", 0);
    check(x != 0, "DefineVariable");
    check(QuorbImport.HandleOf(q, "x", 0, 0) == x, "a handle from one native names the same item in another");
    check(QuorbImport.DefineFunction(q, "Twice(a) = a * 2", 0) != 0, "DefineFunction");
    int e = QuorbImport.Parse(q, "Twice(x) + 1", "Double");
    check(QuorbImport.Evaluate(e) == 7.0, "Evaluate of a parsed expression");
    check("7".equals(QuorbImport.EvaluateStr(e)), "EvaluateStr");
    QuorbImport.ReleaseExpr(e);
    check(QuorbImport.Eval(q, "2^10") == 1024.0, "Eval");
    String first = QuorbImport.EvalStr(q, "1+2");
    String second = QuorbImport.EvalStr(q, "2+3");
    check("3".equals(first) && "5".equals(second), "each EvalStr result is a string of its own");
    check(QuorbImport.Properties(q, 40, 3, 3, 0) == (1L << 40) + 16, "a 64-bit mask crosses as a long");
    check("Syntax error".equals(QuorbImport.EvalStr(q, "1 +")), "a failed parse reads as its message");
    int empty = QuorbImport.Parse(q, null, null);
    check(empty != 0, "a null expression parses as the empty text");
  }

  private static void itemsTypesAndErrors(int q) {
    int b = QuorbImport.DefineVariable(q, "small As Byte = 200", 0);
    check("small".equals(QuorbImport.Name1Overload1Item(b)), "Name1Overload1Item");
    check(QuorbImport.ValueByte(b) == (byte) 200, "a byte reads back with its bits");
    QuorbImport.SetVariableValueInt32(b, 7);
    check(QuorbImport.ValueInt64(b) == 7L && "7".equals(QuorbImport.ValueStr(b)), "values written and read");
    int missing = QuorbImport.HandleOf(q, "nothing", 0, 0);
    check(QuorbImport.IsProperty(missing, 56) == 1 && QuorbImport.IsProperty(b, 56) == 0, "IsProperty");
    int dbl = QuorbImport.DataTypeOfIndex(q, 14);
    check(QuorbImport.ByteSize(dbl) == 8, "a data type's size");
    check("Double".equalsIgnoreCase(QuorbImport.Name1Overload1DataType(dbl)),
        "a data type's name: " + QuorbImport.Name1Overload1DataType(dbl));
    check("2.5".equals(QuorbImport.ToString1Overload1DataType11ByStr(dbl, "2.5")), "a type formats a text");
    // A built-in's native callback, by its address, serves a new function.
    int address = QuorbImport.FunctionAddress(QuorbImport.HandleOf(q, "Sin", 0, 0));
    check(address != 0, "FunctionAddress");
    check(QuorbImport.DefineFunction(q, "MySin(x)", address) != 0, "DefineFunction with a native callback");
    check(Math.abs(QuorbImport.Eval(q, "MySin(0.5)") - Math.sin(0.5)) < 1e-12, "a native callback runs");
    QuorbImport.EvalStr(q, "1 +");
    check(QuorbImport.ErrorNumber(q) != 0, "ErrorNumber after a failed parse");
    check("Syntax error".equals(QuorbImport.ErrorMessage(q, 0)), "ErrorMessage of the current error");
    QuorbImport.ReleaseItem(b);
    check(QuorbImport.HandleOf(q, "small", 0, 0) == missing, "a released item is gone");
  }

  private static void transforms(int q) {
    int t = QuorbImport.NewTransform(q);
    check(QuorbImport.MathParser(t) == q, "a transform knows its instance");
    check(QuorbImport.FromTo(t, "colour", "color") != 0, "FromTo");
    check("the color red".equals(QuorbImport.Expand(t, "the colour red")), "Expand");
    QuorbImport.SetInput(t, "colour and colour");
    QuorbImport.Transform(t);
    check("color and color".equals(QuorbImport.ResultStr(t)), "Transform and ResultStr");
    check(QuorbImport.WasModified(t) == 1, "WasModified is 1");
    int rule = QuorbImport.DefineRule(t, "swap", "swap({a}, {b})", "swap({b}, {a})", 0, -1, 0, -1, 0, 0, -1,
        0, 0, 0, 1, 1, 0);
    check(rule != 0, "DefineRule");
    String swapped = QuorbImport.Expand(t, "swap(1, 2)");
    check("swap(2, 1)".equals(swapped), "a rule with parameters: " + swapped);
    QuorbImport.ReleaseTransform(t);
  }

  private static void texts(int q) throws Exception {
    String wide = "\u00e9\ud83d\ude00";
    check(wide.equals(QuorbImport.EvalStr(q, "\"" + wide + "\"")), "non-ASCII text crosses both ways");
    Path file = Files.createTempFile("quorb", ".bin");
    Files.write(file, new byte[] {'a', 0, 'b', (byte) 0xF0, (byte) 0x9F, (byte) 0x98, (byte) 0x80, (byte) 0xFF});
    String content = QuorbImport.EvalStr(q, "File(\"" + file + "\")");
    check(("a\0b" + "\ud83d\ude00" + "\ufffd").equals(content), "a binary file's bytes reach Java: " + content);
    Files.delete(file);
  }

  // Every native once with zero handles and null texts: each must exist
  // and take them.
  private static int everyNative() throws Exception {
    int count = 0;
    for (Method method : QuorbImport.class.getDeclaredMethods()) {
      if (!Modifier.isNative(method.getModifiers())) continue;
      Class<?>[] types = method.getParameterTypes();
      Object[] args = new Object[types.length];
      for (int i = 0; i < types.length; ++i) {
        if (types[i] == int.class) args[i] = 0;
        else if (types[i] == long.class) args[i] = 0L;
        else if (types[i] == double.class) args[i] = 0.0;
        else if (types[i] == float.class) args[i] = 0.0f;
        else if (types[i] == byte.class) args[i] = (byte) 0;
        else if (types[i] == short.class) args[i] = (short) 0;
      }
      Object result = method.invoke(null, args);
      if (method.getName().equals("CreateQuorb")) QuorbImport.ReleaseQuorb((Integer) result);
      ++count;
    }
    return count;
  }

  public static void main(String[] args) throws Exception {
    System.load(System.getProperty("quorb.library"));
    int q = QuorbImport.CreateQuorb(0);
    check(q != 0, "CreateQuorb");
    expressions(q);
    itemsTypesAndErrors(q);
    transforms(q);
    texts(q);
    QuorbImport.ReleaseQuorb(q);
    int natives = everyNative();
    if (failures != 0) {
      System.out.println(failures + " checks failed");
      System.exit(1);
    }
    System.out.println("natives called: " + natives + " of " + natives + ", all passed");
  }
}
