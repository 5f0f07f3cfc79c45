// Prints what the application may do where its jar's manifest decides: open java.lang's
// internals (Add-Opens) and call native code (Enable-Native-Access). Run with java -jar
// and packed, the two outputs are compared.
package world;

import java.lang.reflect.Field;

public class Reflect {
    public static void main(String[] args) {
        try {
            Field value = String.class.getDeclaredField("value");
            value.setAccessible(true);
            System.out.println("opens=opened");
        } catch (Exception e) {
            System.out.println("opens=" + e.getClass().getName());
        }
        try {
            System.loadLibrary("oru-no-such-library");
        } catch (Throwable e) {
            System.out.println("load=" + e.getClass().getName());
        }
    }
}
