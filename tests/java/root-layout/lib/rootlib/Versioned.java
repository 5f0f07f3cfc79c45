// The base copy of a class that the multi-release library also holds for Java 17.
package rootlib;

public class Versioned {
    public static String which() {
        return "base";
    }
}
