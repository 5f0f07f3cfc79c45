// A main method that fails with an exception.
package probe;

public class Thrower {
    public static void main(String[] args) {
        System.out.println("before");
        throw new IllegalStateException("thrown by main");
    }
}
