// Reads large resources through getResourceAsStream in 64 KiB chunks and prints one
// "name=value" line per finding: digests, failures, and the process's resident memory.
package streams;

import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.security.MessageDigest;
import java.util.ArrayList;
import java.util.List;

public class Probe {
    static final int CHUNK = 64 * 1024;

    // "<bytes> <sha-256>", or "<exception> after <bytes>" when the read fails.
    static String digest(String name) {
        long count = 0;
        try (InputStream in = Probe.class.getClassLoader().getResourceAsStream(name)) {
            if (in == null) return "null";
            MessageDigest sha = MessageDigest.getInstance("SHA-256");
            byte[] chunk = new byte[CHUNK];
            for (int n; (n = in.read(chunk)) > 0; count += n) sha.update(chunk, 0, n);
            StringBuilder hex = new StringBuilder(count + " ");
            for (byte b : sha.digest()) hex.append(String.format("%02x", b));
            return hex.toString();
        } catch (Exception e) {
            return e.getClass().getName() + " after " + count;
        }
    }

    // A line of /proc/self/status in KiB, -1 where there is none.
    static long statusKb(String key) throws Exception {
        if (!Files.exists(Paths.get("/proc/self/status"))) return -1;
        for (String line : Files.readAllLines(Paths.get("/proc/self/status")))
            if (line.startsWith(key + ":")) return Long.parseLong(line.replaceAll("\\D", ""));
        return -1;
    }

    // Sixteen threads each on an entry of its own, sixteen on one entry, all at once.
    static void threads(String one) throws Exception {
        String[] results = new String[32];
        List<Thread> threads = new ArrayList<>();
        for (int i = 0; i < results.length; i++) {
            final int at = i;
            String name = i < 16 ? "spread/" + i + ".bin" : one;
            threads.add(new Thread(() -> results[at] = digest(name)));
        }
        for (Thread thread : threads) thread.start();
        for (Thread thread : threads) thread.join();
        for (int i = 0; i < results.length; i++) System.out.println("thread " + i + "=" + results[i]);
    }

    // Streams opened and read a little: a thousand closed, then a thousand dropped
    // unclosed. How much resident memory grew over each thousand (MB), the first after
    // a hundred that warm up.
    static void early(String name) throws Exception {
        byte[] chunk = new byte[CHUNK];
        long[] rss = new long[3];
        for (int i = 0; i <= 2000; i++) {
            if (i == 100 || i % 1000 == 0 && i > 0) rss[i / 1000] = statusKb("VmRSS");
            if (i == 2000) break;
            InputStream in = Probe.class.getClassLoader().getResourceAsStream(name);
            in.read(chunk);
            if (i < 1000) in.close();
            else if (i % 50 == 0) System.gc();
        }
        System.out.println("closed growth=" + (rss[1] - rss[0]) / 1024);
        System.out.println("dropped growth=" + (rss[2] - rss[1]) / 1024);
    }

    public static void main(String[] args) throws Exception {
        for (String arg : args) {
            if (arg.startsWith("threads:")) threads(arg.substring(8));
            else if (arg.startsWith("early:")) early(arg.substring(6));
            else System.out.println(arg + "=" + digest(arg));
        }
        System.out.println("peak=" + statusKb("VmHWM") / 1024);
    }
}
