// The sample application that the demo packs into the launcher.
package sample;

public final class Hello {
    public static void main(String[] args) {
        System.out.println("Hello from a Java application packed into " + System.getProperty("oru.app.path"));
        System.out.println("Running on Java " + System.getProperty("java.version")
                + " (" + System.getProperty("java.vm.name") + ")");
        System.out.println("Arguments: " + String.join(" | ", args));
    }
}
