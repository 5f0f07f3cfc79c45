// A class without a package, packed at the root of a library jar.
public class NoPackage {
    public static String origin() { return "libs/a.jar"; }
}
