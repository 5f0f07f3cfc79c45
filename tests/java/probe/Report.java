// Prints what the launcher handed to the virtual machine and to main, one fact per line.
package probe;

import java.lang.management.ManagementFactory;

public class Report {
    // Non-ASCII characters as \\uXXXX, so the output does not depend on the locale.
    static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c >= 0x20 && c < 0x7F) out.append(c);
            else out.append(String.format("\\u%04X", (int) c));
        }
        return out.toString();
    }

    static void property(String name) {
        String value = System.getProperty(name);
        System.out.println(name + "=" + (value == null ? "<null>" : escape(value)));
    }

    public static void main(String[] args) {
        System.out.println("argc=" + args.length);
        for (int i = 0; i < args.length; i++) System.out.println("arg" + i + "=" + escape(args[i]));
        for (String name : new String[] {"probe.order", "java.class.path", "oru.app.path",
                 "application.home", "java.protocol.handler.pkgs", "user.dir"})
            property(name);
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments())
            System.out.println("option=" + escape(option));
        ClassLoader context = Thread.currentThread().getContextClassLoader();
        System.out.println("context=" + (context == null ? "<null>" : context.getClass().getName()));
    }
}
