// The Java 17 copy of the multi-release library's class.
package rootlib;

public class Versioned {
    public static String which() {
        return "17";
    }
}
