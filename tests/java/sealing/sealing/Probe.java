// Loads a class of each of two sealed packages from the jar that seals it and one from
// another jar, and prints what each load gives (its package's sealing and title, or the
// error): run with java -cp and packed, the outputs are compared.
package sealing;

public class Probe {
    public static void main(String[] args) {
        // one.B (another jar) joins package one, which one.A's jar seals; two.D's jar seals
        // package two, which two.C (another jar) has defined first.
        for (String name : new String[] {"one.A", "one.B", "two.C", "two.D"}) {
            String fact;
            try {
                Package p = Class.forName(name).getPackage();
                fact = "sealed " + p.isSealed() + ", title " + p.getImplementationTitle();
            } catch (Throwable e) {
                fact = e.toString();
            }
            StringBuilder line = new StringBuilder(name + "=");
            for (char c : fact.toCharArray())
                line.append(c >= 0x20 && c < 0x7F ? String.valueOf(c) : String.format("\\u%04X", (int) c));
            System.out.println(line);
        }
    }
}
