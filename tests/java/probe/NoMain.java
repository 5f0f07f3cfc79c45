// Classes whose main method the launcher must refuse.
package probe;

public class NoMain {
    public static void main(String text) {}
}
