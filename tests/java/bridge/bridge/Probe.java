// The packed test application: each argument names a scenario, whose findings are
// printed as one "name=value" line each.
package bridge;

import java.io.FileNotFoundException;
import java.io.InputStream;
import java.lang.reflect.Method;
import java.net.URL;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Enumeration;
import java.util.List;
import java.util.ServiceLoader;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.atomic.AtomicLong;
import java.util.zip.CRC32;

public class Probe {
    static void report(String name, Object value) {
        System.out.println(name + "=" + value);
    }

    static String read(URL url) throws Exception {
        try (InputStream in = url.openStream()) {
            return new String(in.readAllBytes(), StandardCharsets.UTF_8);
        }
    }

    static String loaderName(Class<?> type) {
        ClassLoader loader = type.getClassLoader();
        return loader == null ? "<boot>" : loader.getClass().getName();
    }

    static String outcome(ThrowingSupplier work) {
        try {
            return String.valueOf(work.get());
        } catch (Throwable t) {
            return t.getClass().getName();
        }
    }

    interface ThrowingSupplier {
        Object get() throws Throwable;
    }

    static void classes() throws Exception {
        ClassLoader loader = Probe.class.getClassLoader();
        report("loader", loader.getClass().getName());
        report("context", Thread.currentThread().getContextClassLoader().getClass().getName());
        report("InApp", InApp.origin() + " by " + loaderName(InApp.class));
        report("InLib", InLib.origin() + " by " + loaderName(InLib.class));
        report("Twice", Twice.origin());
        report("Shadowed", Shadowed.origin() + " by " + loaderName(Shadowed.class));
        Class<?> noPackage = Class.forName("NoPackage", true, loader);
        report("NoPackage", noPackage.getMethod("origin").invoke(null));
        report("Missing", outcome(() -> loader.loadClass("bridge.Missing")));
        report("Corrupt", outcome(() -> loader.loadClass("bridge.Corrupt")));
        report("Damaged", outcome(() -> loader.loadClass("bridge.Damaged")));
        report("after", "still running");
        // Without a splash window the splash control answers null and does nothing.
        Class<?> splash = Class.forName("com.vostrand.oru.SplashScreen");
        report("splash", splash.getMethod("getSplashScreen").invoke(null));
        Object control = splash.getConstructor().newInstance();
        splash.getMethod("autoClose", int.class).invoke(control, 5);
        splash.getMethod("close").invoke(control);
        report("splash calls", "returned");
    }

    static void resources() throws Exception {
        ClassLoader loader = Probe.class.getClassLoader();
        URL url = loader.getResource("a/b.txt");
        report("url", url);
        report("content", read(url));
        for (String text : new String[] {"ORU:t.jar!a\\b.txt", "oru:t.jar!a/b.txt",
                 "oru:my%20file.txt", "oru:my+file.txt"})
            report("text " + text, outcome(() -> read(new URL(text))));
        report("missing", loader.getResource("missing.txt"));
        report("missing stream", outcome(() -> read(new URL("oru:missing.txt"))));
        try {
            read(new URL("oru:missing.txt"));
        } catch (FileNotFoundException e) {
            report("missing message", e.getMessage());
        }

        Method own = loader.getClass().getDeclaredMethod("findResources", String.class);
        own.setAccessible(true);
        for (Enumeration<?> e = (Enumeration<?>) own.invoke(loader, "dup.txt");
                e.hasMoreElements();)
            report("own", e.nextElement());
        for (Enumeration<URL> e = loader.getResources("dup.txt"); e.hasMoreElements();) {
            URL each = e.nextElement();
            report("all", each.getProtocol() + " " + read(each).trim());
        }
        for (Service service : ServiceLoader.load(Service.class))
            report("service", service.name() + " by " + loaderName(service.getClass()));
        for (String name : new String[] {"big.bin", "a/big.bin", "c/big.bin"})
            report("large " + name, outcome(() -> large(loader, name)));
    }

    // "<available> <size> <crc>" of the whole entry, then what skipping to ten bytes before
    // its end leaves: "<skipped> <available> <read>" and the end of the stream.
    static String large(ClassLoader loader, String name) throws Exception {
        CRC32 crc = new CRC32();
        long size = 0;
        String whole;
        try (InputStream in = loader.getResourceAsStream(name)) {
            whole = in.available() + " ";
            byte[] chunk = new byte[10000];
            for (int n; (n = in.read(chunk, 0, chunk.length)) > 0; size += n) crc.update(chunk, 0, n);
        }
        whole += size + " " + Long.toHexString(crc.getValue());
        try (InputStream in = loader.getResourceAsStream(name)) {
            long skipped = in.skip(size - 10);
            return whole + ", " + skipped + " " + in.available() + " " + in.readAllBytes().length
                    + " " + in.read() + " " + in.available();
        }
    }

    // Sixteen threads, each defining classes anew through loaders of its own and reading
    // resources, for two seconds.
    static void threads() throws Exception {
        Class<?> loaderClass = Probe.class.getClassLoader().getClass();
        String[] names = {"bridge.InApp", "bridge.InLib", "bridge.Twice", "NoPackage"};
        AtomicInteger errors = new AtomicInteger();
        AtomicLong rounds = new AtomicLong();
        long end = System.nanoTime() + 2_000_000_000L;
        List<Thread> threads = new ArrayList<>();
        for (int i = 0; i < 16; i++) {
            String name = names[i % names.length];
            Thread thread = new Thread(() -> {
                try {
                    while (System.nanoTime() < end) {
                        ClassLoader fresh = (ClassLoader) loaderClass.getConstructor().newInstance();
                        if (fresh.loadClass(name).getClassLoader() != fresh)
                            throw new AssertionError(name + " not defined anew");
                        int copies = 0;
                        for (Enumeration<URL> e = fresh.getResources("dup.txt");
                                e.hasMoreElements(); copies++)
                            read(e.nextElement());
                        if (copies != 3) throw new AssertionError(copies + " copies");
                        if (!read(fresh.getResource("a/b.txt")).startsWith("b in t.jar"))
                            throw new AssertionError("a/b.txt");
                        rounds.incrementAndGet();
                    }
                } catch (Throwable t) {
                    errors.incrementAndGet();
                    t.printStackTrace();
                }
            });
            threads.add(thread);
            thread.start();
        }
        for (Thread thread : threads) thread.join();
        report("thread errors", errors.get());
        report("thread rounds", rounds.get() >= 16 ? "many" : "few: " + rounds.get());
    }

    static void count(String name) throws Exception {
        int n = 0;
        for (Enumeration<URL> e = Probe.class.getClassLoader().getResources(name);
                e.hasMoreElements(); e.nextElement())
            n++;
        report("count", n);
    }

    public static void main(String[] args) throws Exception {
        for (String scenario : args) {
            switch (scenario) {
                case "classes": classes(); break;
                case "resources": resources(); break;
                case "threads": threads(); break;
                default: count(scenario); break;
            }
        }
    }
}
