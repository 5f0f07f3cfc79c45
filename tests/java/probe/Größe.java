// A main class whose name is not ASCII.
package probe;

public class Größe {
    public static void main(String[] args) {
        System.out.println("non-ASCII main class ran");
    }
}
