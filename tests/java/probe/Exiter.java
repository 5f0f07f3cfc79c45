// A main method that ends the process through System.exit with code 7.
package probe;

public class Exiter {
    public static void main(String[] args) {
        System.out.println("exiting");
        System.exit(7);
    }
}
