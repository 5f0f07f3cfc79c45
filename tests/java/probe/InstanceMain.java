// A main method that is not static.
package probe;

public class InstanceMain {
    public void main(String[] args) {}
}
