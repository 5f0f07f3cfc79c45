// The copy of Shadowed on the disk class path, which wins over the archive's.
package bridge;

public class Shadowed {
    public static String origin() { return "disk"; }
}
