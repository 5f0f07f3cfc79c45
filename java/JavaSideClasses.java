// Writes the Java-side classes that every packed archive carries at its root.
//
// The classes are generated rather than compiled because their shape is fixed down to
// the class-file version, the access flags and the order of the constructor's stores,
// which no javac release gives. In Java source they read as follows (no debug
// attributes; Handler$1 is the anonymous connection class of Handler):
//
//   public class KestrunClassLoader extends ClassLoader {           // version 46.0
//       static { bindNatives(); }
//       public KestrunClassLoader() { super(); }
//       public KestrunClassLoader(ClassLoader parent) { super(parent); }  // the system loader
//       protected native Class findClass(String name) throws ClassNotFoundException;
//       protected native URL findResource(String name);
//       protected native Enumeration findResources(String name);
//   }
//   public class Handler extends URLStreamHandler {                 // version 45.3
//       protected static Hashtable loadedData;
//       static { loadedData = new Hashtable(); bindNatives(); }
//       public Handler() {}
//       protected URLConnection openConnection(URL u) throws IOException {
//           return new Handler$1(this, u, u.toString());
//       }
//       protected native byte[] loadResourceData(String resource);
//       protected native long[] loadResourceInfo(String resource);  // {size, MS-DOS time}
//       protected native long openResourceStream(String resource);  // 0: no such entry
//       protected native int readResourceStream(long stream, byte[] b, int off, int len);
//       protected native void closeResourceStream(long stream);
//   }
//   final class Handler$1 extends URLConnection {                   // version 45.3
//       final Handler this$0;
//       private final String val$resource;
//       Handler$1(Handler h, URL u, String r) { super(u); this$0 = h; val$resource = r; }
//       public void connect() {}
//       public InputStream getInputStream() throws IOException {
//           byte[] data = null;
//           SoftReference cached = (SoftReference) Handler.loadedData.get(val$resource);
//           if (cached != null) data = (byte[]) cached.get();
//           if (data == null) {
//               InputStream streamed = STREAMED;
//               if (streamed != null) return streamed;
//               data = this$0.loadResourceData(val$resource);
//               Handler.loadedData.put(val$resource, new SoftReference(data));
//           }
//           if (data == null) throw new FileNotFoundException(val$resource);
//           return new ByteArrayInputStream(data);
//       }
//       public String getContentType() {
//           return URLConnection.guessContentTypeFromName(val$resource);
//       }
//       public long getContentLengthLong() {
//           long[] info = INFO;
//           return info == null ? -1 : info[0];
//       }
//       public int getContentLength() {
//           long length = getContentLengthLong();
//           return length > Integer.MAX_VALUE ? -1 : (int) length;
//       }
//       public long getLastModified() {           // local time, as java.util.zip gives it
//           long[] info = INFO;
//           if (info == null) return 0;
//           int t = (int) info[1];                  // MS-DOS date and time
//           return new Date((t >>> 25 & 0x7f) + 80, (t >>> 21 & 0x0f) - 1, t >>> 16 & 0x1f,
//                   t >>> 11 & 0x1f, t >>> 5 & 0x3f, t << 1 & 0x3e).getTime();
//       }
//       public String getHeaderField(String name) {
//           if ("content-length".equalsIgnoreCase(name)) {
//               long length = getContentLengthLong();
//               return length < 0 ? null : String.valueOf(length);
//           }
//           if ("last-modified".equalsIgnoreCase(name)) {
//               long time = getLastModified();
//               if (time == 0) return null;
//               DateFormat format = new SimpleDateFormat("EEE, dd MMM yyyy HH:mm:ss 'GMT'", Locale.US);
//               format.setTimeZone(TimeZone.getTimeZone("GMT"));
//               return format.format(new Date(time));
//           }
//           return super.getHeaderField(name);
//       }
//   }
// INFO, written out inline, asks the native and answers as before the native existed
// when the executable lacks it:
//
//   try { info = this$0.loadResourceInfo(val$resource); }
//   catch (UnsatisfiedLinkError olderLauncher) { info = null; }
//
// STREAMED, also inline, streams an entry too large to be cheaper in one piece, and
// leaves the rest (and every entry, with a launcher that lacks the stream natives) to
// loadResourceData:
//
//   long[] info = INFO;
//   if (info != null && info[0] > STREAM_THRESHOLD) {
//       try {
//           long stream = this$0.openResourceStream(val$resource);
//           if (stream != 0) return new Handler$2(this$0, stream, info[0]);
//       } catch (UnsatisfiedLinkError olderLauncher) {}
//   }
//   return null;
//
// Handler$2 reads the entry as the caller reads. Its native state is freed by close(),
// or, for a stream dropped unclosed, by the next stream's constructor once the collector
// has found it unreachable (the phantom reference works on every Java version, with no
// thread of its own):
//
//   final class Handler$2 extends InputStream {                     // version 45.3
//       private static final ReferenceQueue collected = new ReferenceQueue();
//       private static final Hashtable open = new Hashtable();  // reference -> Long stream
//       private final Handler handler;
//       private final PhantomReference ticket;
//       private long stream;                  // 0 once closed
//       private long remaining;               // bytes not yet delivered
//       Handler$2(Handler h, long s, long size) {
//           handler = h; stream = s; remaining = size;
//           Object dropped;
//           while ((dropped = collected.poll()) != null) {
//               Long left = (Long) open.remove(dropped);
//               if (left != null) h.closeResourceStream(left.longValue());
//           }
//           ticket = new PhantomReference(this, collected);
//           open.put(ticket, new Long(s));
//       }
//       public int read() throws IOException {
//           byte[] one = new byte[1];
//           return read(one, 0, 1) == 1 ? one[0] & 0xff : -1;
//       }
//       // The native throws ZipException when the data is damaged or fails its checksum.
//       public synchronized int read(byte[] b, int off, int len) throws IOException {
//           if (stream == 0) throw new IOException("Stream closed");
//           if (off < 0 || len < 0 || len > b.length - off) throw new IndexOutOfBoundsException();
//           if (len == 0) return 0;
//           int n = handler.readResourceStream(stream, b, off, len);
//           if (n > 0) remaining -= n;
//           return n;
//       }
//       public synchronized int available() {
//           return stream == 0 ? 0 : (int) Math.min(remaining, Integer.MAX_VALUE);
//       }
//       public synchronized void close() {
//           if (stream != 0) {
//               open.remove(ticket);
//               handler.closeResourceStream(stream);
//               stream = 0;
//           }
//       }
//   }
//
//   public final class SplashScreen {                               // version 45.3
//       static { bindNatives(); }
//       public SplashScreen() {}
//       public static SplashScreen getSplashScreen() { return nativeGetSplashScreen(); }
//       public void autoClose(int ms) { nativeAutoClose(ms); }
//       public void close() { nativeClose(); }
//       protected static native SplashScreen nativeGetSplashScreen();
//       protected native void nativeAutoClose(int ms);
//       protected native void nativeClose();
//   }
//
// where bindNatives(), written out inline in each static initialiser, is
//
//   String path = System.getProperty("oru.app.path");
//   if (path != null) {
//       try { System.load(path); } catch (Throwable alreadyBound) {}
//   }
//
// The executable loads as the classes' native library and its exports bind the
// natives. The launcher has also bound them with RegisterNatives before any application
// code runs, so a refused load is no loss: a runtime that denies native access throws
// IllegalCallerException, an older launcher on Linux UnsatisfiedLinkError. (Archives
// made before that caught only UnsatisfiedLinkError; the second directory below has
// them so.)
//
// usage: java -cp asm.jar:. JavaSideClasses OUTPUT_DIRECTORY [ORIGINAL_DIRECTORY
//                                                              [PLAIN_DIRECTORY]]
// The second directory receives the classes as archives made before the parent-taking
// constructor, loadResourceInfo and the connection's metadata existed: the launcher
// still runs those. The third receives them as other tools may write them, with static
// initialisers that load the library without catching anything.

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;

import org.objectweb.asm.ClassWriter;
import org.objectweb.asm.Label;
import org.objectweb.asm.MethodVisitor;

import static org.objectweb.asm.Opcodes.*;

public final class JavaSideClasses {
    private static final String PACKAGE = "com/vostrand/oru/";
    private static final String LOADER = PACKAGE + "KestrunClassLoader";
    private static final String HANDLER = PACKAGE + "Handler";
    private static final String CONNECTION = PACKAGE + "Handler$1";
    private static final String STREAM = PACKAGE + "Handler$2";
    private static final String SPLASH = PACKAGE + "SplashScreen";

    private static final int V45_3 = 3 << 16 | 45;
    private static final int V46_0 = 46;
    // Entries up to this size are read in one piece: cheaper than a stream at that size.
    private static final long STREAM_THRESHOLD = 64 * 1024;

    private static boolean extended;
    private static boolean plain;

    public static void main(String[] args) throws IOException {
        if (args.length < 1 || args.length > 3) {
            System.err.println("usage: JavaSideClasses OUTPUT_DIRECTORY [ORIGINAL_DIRECTORY"
                    + " [PLAIN_DIRECTORY]]");
            System.exit(2);
        }
        for (int i = args.length - 1; i >= 0; i--) {
            extended = i == 0;
            plain = i == 2;
            Path out = Paths.get(args[i]);
            write(out, LOADER, loader());
            write(out, HANDLER, handler());
            write(out, CONNECTION, connection());
            write(out, SPLASH, splash());
            if (extended) write(out, STREAM, stream());
        }
    }

    private static void write(Path root, String name, byte[] bytes) throws IOException {
        Path file = root.resolve(name + ".class");
        Files.createDirectories(file.getParent());
        Files.write(file, bytes);
    }

    private static ClassWriter begin(int version, int access, String name, String superName) {
        // Class files before version 50 carry no stack map frames: only the sizes.
        ClassWriter cw = new ClassWriter(ClassWriter.COMPUTE_MAXS);
        cw.visit(version, access, name, null, superName, null);
        return cw;
    }

    private static byte[] loader() {
        ClassWriter cw = begin(V46_0, ACC_PUBLIC | ACC_SUPER, LOADER, "java/lang/ClassLoader");
        staticInitialiser(cw, null);
        constructor(cw, ACC_PUBLIC, "java/lang/ClassLoader");
        if (extended) {
            MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, "<init>",
                    "(Ljava/lang/ClassLoader;)V", null, null);
            mv.visitCode();
            mv.visitVarInsn(ALOAD, 0);
            mv.visitVarInsn(ALOAD, 1);
            mv.visitMethodInsn(INVOKESPECIAL, "java/lang/ClassLoader", "<init>",
                    "(Ljava/lang/ClassLoader;)V", false);
            mv.visitInsn(RETURN);
            mv.visitMaxs(0, 0);
            mv.visitEnd();
        }
        cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "findClass",
                "(Ljava/lang/String;)Ljava/lang/Class;", null,
                new String[] {"java/lang/ClassNotFoundException"}).visitEnd();
        cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "findResource",
                "(Ljava/lang/String;)Ljava/net/URL;", null, null).visitEnd();
        cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "findResources",
                "(Ljava/lang/String;)Ljava/util/Enumeration;", null, null).visitEnd();
        cw.visitEnd();
        return cw.toByteArray();
    }

    private static byte[] handler() {
        ClassWriter cw = begin(V45_3, ACC_PUBLIC | ACC_SUPER, HANDLER,
                "java/net/URLStreamHandler");
        cw.visitField(ACC_PROTECTED | ACC_STATIC, "loadedData", "Ljava/util/Hashtable;", null,
                null).visitEnd();
        staticInitialiser(cw, HANDLER);
        constructor(cw, ACC_PUBLIC, "java/net/URLStreamHandler");

        MethodVisitor mv = cw.visitMethod(ACC_PROTECTED, "openConnection",
                "(Ljava/net/URL;)Ljava/net/URLConnection;", null,
                new String[] {"java/io/IOException"});
        mv.visitCode();
        mv.visitTypeInsn(NEW, CONNECTION);
        mv.visitInsn(DUP);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/net/URL", "toString", "()Ljava/lang/String;",
                false);
        mv.visitMethodInsn(INVOKESPECIAL, CONNECTION, "<init>",
                "(L" + HANDLER + ";Ljava/net/URL;Ljava/lang/String;)V", false);
        mv.visitInsn(ARETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();

        cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "loadResourceData", "(Ljava/lang/String;)[B",
                null, null).visitEnd();
        if (extended) {
            cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "loadResourceInfo",
                    "(Ljava/lang/String;)[J", null, null).visitEnd();
            cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "openResourceStream",
                    "(Ljava/lang/String;)J", null, null).visitEnd();
            cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "readResourceStream", "(J[BII)I", null,
                    null).visitEnd();
            cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "closeResourceStream", "(J)V", null,
                    null).visitEnd();
        }
        cw.visitEnd();
        return cw.toByteArray();
    }

    private static byte[] connection() {
        ClassWriter cw = begin(V45_3, ACC_FINAL | ACC_SUPER, CONNECTION,
                "java/net/URLConnection");
        cw.visitField(ACC_FINAL, "this$0", "L" + HANDLER + ";", null, null).visitEnd();
        cw.visitField(ACC_PRIVATE | ACC_FINAL, "val$resource", "Ljava/lang/String;", null, null)
                .visitEnd();

        // The superclass constructor runs first, then the two fields are stored.
        MethodVisitor mv = cw.visitMethod(0, "<init>",
                "(L" + HANDLER + ";Ljava/net/URL;Ljava/lang/String;)V", null, null);
        mv.visitCode();
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 2);
        mv.visitMethodInsn(INVOKESPECIAL, "java/net/URLConnection", "<init>",
                "(Ljava/net/URL;)V", false);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitFieldInsn(PUTFIELD, CONNECTION, "this$0", "L" + HANDLER + ";");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 3);
        mv.visitFieldInsn(PUTFIELD, CONNECTION, "val$resource", "Ljava/lang/String;");
        mv.visitInsn(RETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();

        mv = cw.visitMethod(ACC_PUBLIC, "connect", "()V", null, null);
        mv.visitCode();
        mv.visitInsn(RETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();

        getInputStream(cw);

        mv = cw.visitMethod(ACC_PUBLIC, "getContentType", "()Ljava/lang/String;", null, null);
        mv.visitCode();
        loadResourceText(mv);
        mv.visitMethodInsn(INVOKESTATIC, "java/net/URLConnection", "guessContentTypeFromName",
                "(Ljava/lang/String;)Ljava/lang/String;", false);
        mv.visitInsn(ARETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();

        if (extended) {
            contentLengthLong(cw);
            contentLength(cw);
            lastModified(cw);
            headerField(cw);
        }
        cw.visitEnd();
        return cw.toByteArray();
    }

    private static void loadResourceText(MethodVisitor mv) {
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, CONNECTION, "val$resource", "Ljava/lang/String;");
    }

    // Leaves the entry's {size, last modified} in local 1, or null when the executable
    // has no such native (an older launcher) or the entry is missing.
    private static void loadInfo(MethodVisitor mv) {
        loadInfo(mv, 1);
    }

    private static void loadInfo(MethodVisitor mv, int local) {
        Label tryStart = new Label();
        Label tryEnd = new Label();
        Label refused = new Label();
        Label done = new Label();
        mv.visitTryCatchBlock(tryStart, tryEnd, refused, "java/lang/UnsatisfiedLinkError");
        mv.visitLabel(tryStart);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, CONNECTION, "this$0", "L" + HANDLER + ";");
        loadResourceText(mv);
        mv.visitMethodInsn(INVOKEVIRTUAL, HANDLER, "loadResourceInfo", "(Ljava/lang/String;)[J",
                false);
        mv.visitVarInsn(ASTORE, local);
        mv.visitLabel(tryEnd);
        mv.visitJumpInsn(GOTO, done);
        mv.visitLabel(refused);
        mv.visitInsn(POP);
        mv.visitInsn(ACONST_NULL);
        mv.visitVarInsn(ASTORE, local);
        mv.visitLabel(done);
    }

    // The content length: the entry's size, -1 without it.
    private static void contentLengthLong(ClassWriter cw) {
        final String name = "getContentLengthLong";
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, name, "()J", null, null);
        mv.visitCode();
        Label have = new Label();
        loadInfo(mv);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitJumpInsn(IFNONNULL, have);
        mv.visitLdcInsn(-1L);
        mv.visitInsn(LRETURN);
        mv.visitLabel(have);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(LALOAD);
        mv.visitInsn(LRETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    // The entry's MS-DOS date and time in local time, as java.util.zip reads them.
    private static void lastModified(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, "getLastModified", "()J", null, null);
        mv.visitCode();
        Label have = new Label();
        loadInfo(mv);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitJumpInsn(IFNONNULL, have);
        mv.visitInsn(LCONST_0);
        mv.visitInsn(LRETURN);
        mv.visitLabel(have);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitInsn(ICONST_1);
        mv.visitInsn(LALOAD);
        mv.visitInsn(L2I);
        mv.visitVarInsn(ISTORE, 2);
        mv.visitTypeInsn(NEW, "java/util/Date");
        mv.visitInsn(DUP);
        // {shift, mask, addend} of year - 1900, month - 1, day, hour, minute; then seconds.
        int[][] fields = {{25, 0x7f, 80}, {21, 0x0f, -1}, {16, 0x1f, 0}, {11, 0x1f, 0},
                {5, 0x3f, 0}};
        for (int[] field : fields) {
            mv.visitVarInsn(ILOAD, 2);
            mv.visitLdcInsn(field[0]);
            mv.visitInsn(IUSHR);
            mv.visitLdcInsn(field[1]);
            mv.visitInsn(IAND);
            if (field[2] != 0) {
                mv.visitLdcInsn(field[2]);
                mv.visitInsn(IADD);
            }
        }
        mv.visitVarInsn(ILOAD, 2);
        mv.visitInsn(ICONST_1);
        mv.visitInsn(ISHL);
        mv.visitLdcInsn(0x3e);
        mv.visitInsn(IAND);
        mv.visitMethodInsn(INVOKESPECIAL, "java/util/Date", "<init>", "(IIIIII)V", false);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/util/Date", "getTime", "()J", false);
        mv.visitInsn(LRETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    private static void contentLength(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, "getContentLength", "()I", null, null);
        mv.visitCode();
        Label fits = new Label();
        mv.visitVarInsn(ALOAD, 0);
        mv.visitMethodInsn(INVOKEVIRTUAL, CONNECTION, "getContentLengthLong", "()J", false);
        mv.visitVarInsn(LSTORE, 1);
        mv.visitVarInsn(LLOAD, 1);
        mv.visitLdcInsn((long) Integer.MAX_VALUE);
        mv.visitInsn(LCMP);
        mv.visitJumpInsn(IFLE, fits);
        mv.visitInsn(ICONST_M1);
        mv.visitInsn(IRETURN);
        mv.visitLabel(fits);
        mv.visitVarInsn(LLOAD, 1);
        mv.visitInsn(L2I);
        mv.visitInsn(IRETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    // "content-length" and "last-modified" as a file: URL gives them; others as before.
    private static void headerField(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, "getHeaderField",
                "(Ljava/lang/String;)Ljava/lang/String;", null, null);
        mv.visitCode();
        Label notLength = new Label();
        Label other = new Label();
        Label absent = new Label();
        Label haveLength = new Label();
        mv.visitLdcInsn("content-length");
        mv.visitVarInsn(ALOAD, 1);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/lang/String", "equalsIgnoreCase",
                "(Ljava/lang/String;)Z", false);
        mv.visitJumpInsn(IFEQ, notLength);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitMethodInsn(INVOKEVIRTUAL, CONNECTION, "getContentLengthLong", "()J", false);
        mv.visitVarInsn(LSTORE, 2);
        mv.visitVarInsn(LLOAD, 2);
        mv.visitInsn(LCONST_0);
        mv.visitInsn(LCMP);
        mv.visitJumpInsn(IFLT, absent);
        mv.visitVarInsn(LLOAD, 2);
        mv.visitMethodInsn(INVOKESTATIC, "java/lang/String", "valueOf", "(J)Ljava/lang/String;",
                false);
        mv.visitInsn(ARETURN);

        mv.visitLabel(notLength);
        mv.visitLdcInsn("last-modified");
        mv.visitVarInsn(ALOAD, 1);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/lang/String", "equalsIgnoreCase",
                "(Ljava/lang/String;)Z", false);
        mv.visitJumpInsn(IFEQ, other);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitMethodInsn(INVOKEVIRTUAL, CONNECTION, "getLastModified", "()J", false);
        mv.visitVarInsn(LSTORE, 2);
        mv.visitVarInsn(LLOAD, 2);
        mv.visitInsn(LCONST_0);
        mv.visitInsn(LCMP);
        mv.visitJumpInsn(IFEQ, absent);
        mv.visitTypeInsn(NEW, "java/text/SimpleDateFormat");
        mv.visitInsn(DUP);
        mv.visitLdcInsn("EEE, dd MMM yyyy HH:mm:ss 'GMT'");
        mv.visitFieldInsn(GETSTATIC, "java/util/Locale", "US", "Ljava/util/Locale;");
        mv.visitMethodInsn(INVOKESPECIAL, "java/text/SimpleDateFormat", "<init>",
                "(Ljava/lang/String;Ljava/util/Locale;)V", false);
        mv.visitVarInsn(ASTORE, 4);
        mv.visitVarInsn(ALOAD, 4);
        mv.visitLdcInsn("GMT");
        mv.visitMethodInsn(INVOKESTATIC, "java/util/TimeZone", "getTimeZone",
                "(Ljava/lang/String;)Ljava/util/TimeZone;", false);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/text/DateFormat", "setTimeZone",
                "(Ljava/util/TimeZone;)V", false);
        mv.visitVarInsn(ALOAD, 4);
        mv.visitTypeInsn(NEW, "java/util/Date");
        mv.visitInsn(DUP);
        mv.visitVarInsn(LLOAD, 2);
        mv.visitMethodInsn(INVOKESPECIAL, "java/util/Date", "<init>", "(J)V", false);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/text/DateFormat", "format",
                "(Ljava/util/Date;)Ljava/lang/String;", false);
        mv.visitInsn(ARETURN);

        mv.visitLabel(absent);
        mv.visitInsn(ACONST_NULL);
        mv.visitInsn(ARETURN);

        mv.visitLabel(other);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitMethodInsn(INVOKESPECIAL, "java/net/URLConnection", "getHeaderField",
                "(Ljava/lang/String;)Ljava/lang/String;", false);
        mv.visitInsn(ARETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    // Local 1 holds the bytes; local 2 the cached reference.
    private static void getInputStream(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, "getInputStream",
                "()Ljava/io/InputStream;", null, new String[] {"java/io/IOException"});
        mv.visitCode();
        Label notCached = new Label();
        Label haveBytes = new Label();
        Label found = new Label();

        mv.visitInsn(ACONST_NULL);
        mv.visitVarInsn(ASTORE, 1);
        mv.visitFieldInsn(GETSTATIC, HANDLER, "loadedData", "Ljava/util/Hashtable;");
        loadResourceText(mv);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/util/Hashtable", "get",
                "(Ljava/lang/Object;)Ljava/lang/Object;", false);
        mv.visitTypeInsn(CHECKCAST, "java/lang/ref/SoftReference");
        mv.visitVarInsn(ASTORE, 2);
        mv.visitVarInsn(ALOAD, 2);
        mv.visitJumpInsn(IFNULL, notCached);
        mv.visitVarInsn(ALOAD, 2);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/lang/ref/SoftReference", "get",
                "()Ljava/lang/Object;", false);
        mv.visitTypeInsn(CHECKCAST, "[B");
        mv.visitVarInsn(ASTORE, 1);

        mv.visitLabel(notCached);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitJumpInsn(IFNONNULL, haveBytes);
        if (extended) streamed(mv);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, CONNECTION, "this$0", "L" + HANDLER + ";");
        loadResourceText(mv);
        mv.visitMethodInsn(INVOKEVIRTUAL, HANDLER, "loadResourceData", "(Ljava/lang/String;)[B",
                false);
        mv.visitVarInsn(ASTORE, 1);
        mv.visitFieldInsn(GETSTATIC, HANDLER, "loadedData", "Ljava/util/Hashtable;");
        loadResourceText(mv);
        mv.visitTypeInsn(NEW, "java/lang/ref/SoftReference");
        mv.visitInsn(DUP);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitMethodInsn(INVOKESPECIAL, "java/lang/ref/SoftReference", "<init>",
                "(Ljava/lang/Object;)V", false);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/util/Hashtable", "put",
                "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;", false);
        mv.visitInsn(POP);

        // A URL that names no entry reports itself as missing, as a file URL would.
        mv.visitLabel(haveBytes);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitJumpInsn(IFNONNULL, found);
        mv.visitTypeInsn(NEW, "java/io/FileNotFoundException");
        mv.visitInsn(DUP);
        loadResourceText(mv);
        mv.visitMethodInsn(INVOKESPECIAL, "java/io/FileNotFoundException", "<init>",
                "(Ljava/lang/String;)V", false);
        mv.visitInsn(ATHROW);

        mv.visitLabel(found);
        mv.visitTypeInsn(NEW, "java/io/ByteArrayInputStream");
        mv.visitInsn(DUP);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitMethodInsn(INVOKESPECIAL, "java/io/ByteArrayInputStream", "<init>", "([B)V",
                false);
        mv.visitInsn(ARETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    // Returns a Handler$2 of an entry larger than STREAM_THRESHOLD; falls through when the
    // entry is smaller, missing, or the executable has no stream natives. Local 3 holds the
    // entry's info, locals 4-5 the stream.
    private static void streamed(MethodVisitor mv) {
        Label whole = new Label();
        Label tryStart = new Label();
        Label tryEnd = new Label();
        Label refused = new Label();
        loadInfo(mv, 3);
        mv.visitVarInsn(ALOAD, 3);
        mv.visitJumpInsn(IFNULL, whole);
        mv.visitVarInsn(ALOAD, 3);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(LALOAD);
        mv.visitLdcInsn(STREAM_THRESHOLD);
        mv.visitInsn(LCMP);
        mv.visitJumpInsn(IFLE, whole);
        mv.visitTryCatchBlock(tryStart, tryEnd, refused, "java/lang/UnsatisfiedLinkError");
        mv.visitLabel(tryStart);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, CONNECTION, "this$0", "L" + HANDLER + ";");
        loadResourceText(mv);
        mv.visitMethodInsn(INVOKEVIRTUAL, HANDLER, "openResourceStream", "(Ljava/lang/String;)J",
                false);
        mv.visitVarInsn(LSTORE, 4);
        mv.visitLabel(tryEnd);
        mv.visitVarInsn(LLOAD, 4);
        mv.visitInsn(LCONST_0);
        mv.visitInsn(LCMP);
        mv.visitJumpInsn(IFEQ, whole);
        mv.visitTypeInsn(NEW, STREAM);
        mv.visitInsn(DUP);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, CONNECTION, "this$0", "L" + HANDLER + ";");
        mv.visitVarInsn(LLOAD, 4);
        mv.visitVarInsn(ALOAD, 3);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(LALOAD);
        mv.visitMethodInsn(INVOKESPECIAL, STREAM, "<init>", "(L" + HANDLER + ";JJ)V", false);
        mv.visitInsn(ARETURN);
        mv.visitLabel(refused);
        mv.visitInsn(POP);
        mv.visitLabel(whole);
    }

    private static byte[] stream() {
        ClassWriter cw = begin(V45_3, ACC_FINAL | ACC_SUPER, STREAM, "java/io/InputStream");
        cw.visitField(ACC_PRIVATE | ACC_STATIC | ACC_FINAL, "collected",
                "Ljava/lang/ref/ReferenceQueue;", null, null).visitEnd();
        cw.visitField(ACC_PRIVATE | ACC_STATIC | ACC_FINAL, "open", "Ljava/util/Hashtable;", null,
                null).visitEnd();
        cw.visitField(ACC_PRIVATE | ACC_FINAL, "handler", "L" + HANDLER + ";", null, null)
                .visitEnd();
        cw.visitField(ACC_PRIVATE | ACC_FINAL, "ticket", "Ljava/lang/ref/PhantomReference;", null,
                null).visitEnd();
        cw.visitField(ACC_PRIVATE, "stream", "J", null, null).visitEnd();
        cw.visitField(ACC_PRIVATE, "remaining", "J", null, null).visitEnd();

        MethodVisitor mv = cw.visitMethod(ACC_STATIC, "<clinit>", "()V", null, null);
        mv.visitCode();
        newInstance(mv, "java/lang/ref/ReferenceQueue");
        mv.visitFieldInsn(PUTSTATIC, STREAM, "collected", "Ljava/lang/ref/ReferenceQueue;");
        newInstance(mv, "java/util/Hashtable");
        mv.visitFieldInsn(PUTSTATIC, STREAM, "open", "Ljava/util/Hashtable;");
        mv.visitInsn(RETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();

        streamConstructor(cw);
        readByte(cw);
        readBytes(cw);

        mv = cw.visitMethod(ACC_PUBLIC | ACC_SYNCHRONIZED, "available", "()I", null,
                new String[] {"java/io/IOException"});
        mv.visitCode();
        Label open = new Label();
        jumpOnStream(mv, IFNE, open);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(IRETURN);
        mv.visitLabel(open);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "remaining", "J");
        mv.visitLdcInsn((long) Integer.MAX_VALUE);
        mv.visitMethodInsn(INVOKESTATIC, "java/lang/Math", "min", "(JJ)J", false);
        mv.visitInsn(L2I);
        mv.visitInsn(IRETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();

        mv = cw.visitMethod(ACC_PUBLIC | ACC_SYNCHRONIZED, "close", "()V", null,
                new String[] {"java/io/IOException"});
        mv.visitCode();
        Label closed = new Label();
        jumpOnStream(mv, IFEQ, closed);
        mv.visitFieldInsn(GETSTATIC, STREAM, "open", "Ljava/util/Hashtable;");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "ticket", "Ljava/lang/ref/PhantomReference;");
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/util/Hashtable", "remove",
                "(Ljava/lang/Object;)Ljava/lang/Object;", false);
        mv.visitInsn(POP);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "handler", "L" + HANDLER + ";");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "stream", "J");
        mv.visitMethodInsn(INVOKEVIRTUAL, HANDLER, "closeResourceStream", "(J)V", false);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitInsn(LCONST_0);
        mv.visitFieldInsn(PUTFIELD, STREAM, "stream", "J");
        mv.visitLabel(closed);
        mv.visitInsn(RETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
        cw.visitEnd();
        return cw.toByteArray();
    }

    // Jumps to `target` by `opcode` (IFEQ: the stream is closed, IFNE: it is open).
    private static void jumpOnStream(MethodVisitor mv, int opcode, Label target) {
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "stream", "J");
        mv.visitInsn(LCONST_0);
        mv.visitInsn(LCMP);
        mv.visitJumpInsn(opcode, target);
    }

    private static void newInstance(MethodVisitor mv, String type) {
        mv.visitTypeInsn(NEW, type);
        mv.visitInsn(DUP);
        mv.visitMethodInsn(INVOKESPECIAL, type, "<init>", "()V", false);
    }

    // Stores the fields, frees what was dropped unclosed, then registers this stream.
    // Locals: 1 the handler, 2-3 the stream, 4-5 the size, 6 a collected reference,
    // 7 its stream.
    private static void streamConstructor(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(0, "<init>", "(L" + HANDLER + ";JJ)V", null, null);
        mv.visitCode();
        mv.visitVarInsn(ALOAD, 0);
        mv.visitMethodInsn(INVOKESPECIAL, "java/io/InputStream", "<init>", "()V", false);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitFieldInsn(PUTFIELD, STREAM, "handler", "L" + HANDLER + ";");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(LLOAD, 2);
        mv.visitFieldInsn(PUTFIELD, STREAM, "stream", "J");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(LLOAD, 4);
        mv.visitFieldInsn(PUTFIELD, STREAM, "remaining", "J");

        Label poll = new Label();
        Label polled = new Label();
        mv.visitLabel(poll);
        mv.visitFieldInsn(GETSTATIC, STREAM, "collected", "Ljava/lang/ref/ReferenceQueue;");
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/lang/ref/ReferenceQueue", "poll",
                "()Ljava/lang/ref/Reference;", false);
        mv.visitInsn(DUP);
        mv.visitVarInsn(ASTORE, 6);
        mv.visitJumpInsn(IFNULL, polled);
        mv.visitFieldInsn(GETSTATIC, STREAM, "open", "Ljava/util/Hashtable;");
        mv.visitVarInsn(ALOAD, 6);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/util/Hashtable", "remove",
                "(Ljava/lang/Object;)Ljava/lang/Object;", false);
        mv.visitTypeInsn(CHECKCAST, "java/lang/Long");
        mv.visitInsn(DUP);
        mv.visitVarInsn(ASTORE, 7);
        mv.visitJumpInsn(IFNULL, poll);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitVarInsn(ALOAD, 7);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/lang/Long", "longValue", "()J", false);
        mv.visitMethodInsn(INVOKEVIRTUAL, HANDLER, "closeResourceStream", "(J)V", false);
        mv.visitJumpInsn(GOTO, poll);
        mv.visitLabel(polled);

        mv.visitVarInsn(ALOAD, 0);
        mv.visitTypeInsn(NEW, "java/lang/ref/PhantomReference");
        mv.visitInsn(DUP);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETSTATIC, STREAM, "collected", "Ljava/lang/ref/ReferenceQueue;");
        mv.visitMethodInsn(INVOKESPECIAL, "java/lang/ref/PhantomReference", "<init>",
                "(Ljava/lang/Object;Ljava/lang/ref/ReferenceQueue;)V", false);
        mv.visitFieldInsn(PUTFIELD, STREAM, "ticket", "Ljava/lang/ref/PhantomReference;");
        mv.visitFieldInsn(GETSTATIC, STREAM, "open", "Ljava/util/Hashtable;");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "ticket", "Ljava/lang/ref/PhantomReference;");
        mv.visitTypeInsn(NEW, "java/lang/Long");
        mv.visitInsn(DUP);
        mv.visitVarInsn(LLOAD, 2);
        mv.visitMethodInsn(INVOKESPECIAL, "java/lang/Long", "<init>", "(J)V", false);
        mv.visitMethodInsn(INVOKEVIRTUAL, "java/util/Hashtable", "put",
                "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;", false);
        mv.visitInsn(POP);
        mv.visitInsn(RETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    private static void readByte(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC, "read", "()I", null,
                new String[] {"java/io/IOException"});
        mv.visitCode();
        Label end = new Label();
        mv.visitInsn(ICONST_1);
        mv.visitIntInsn(NEWARRAY, T_BYTE);
        mv.visitVarInsn(ASTORE, 1);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(ICONST_1);
        mv.visitMethodInsn(INVOKEVIRTUAL, STREAM, "read", "([BII)I", false);
        mv.visitInsn(ICONST_1);
        mv.visitJumpInsn(IF_ICMPNE, end);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(BALOAD);
        mv.visitIntInsn(SIPUSH, 0xff);
        mv.visitInsn(IAND);
        mv.visitInsn(IRETURN);
        mv.visitLabel(end);
        mv.visitInsn(ICONST_M1);
        mv.visitInsn(IRETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    private static void readBytes(ClassWriter cw) {
        MethodVisitor mv = cw.visitMethod(ACC_PUBLIC | ACC_SYNCHRONIZED, "read", "([BII)I", null,
                new String[] {"java/io/IOException"});
        mv.visitCode();
        Label open = new Label();
        Label outside = new Label();
        Label inside = new Label();
        Label some = new Label();
        Label counted = new Label();
        jumpOnStream(mv, IFNE, open);
        mv.visitTypeInsn(NEW, "java/io/IOException");
        mv.visitInsn(DUP);
        mv.visitLdcInsn("Stream closed");
        mv.visitMethodInsn(INVOKESPECIAL, "java/io/IOException", "<init>",
                "(Ljava/lang/String;)V", false);
        mv.visitInsn(ATHROW);

        mv.visitLabel(open);
        mv.visitVarInsn(ILOAD, 2);
        mv.visitJumpInsn(IFLT, outside);
        mv.visitVarInsn(ILOAD, 3);
        mv.visitJumpInsn(IFLT, outside);
        mv.visitVarInsn(ILOAD, 3);
        mv.visitVarInsn(ALOAD, 1);
        mv.visitInsn(ARRAYLENGTH);
        mv.visitVarInsn(ILOAD, 2);
        mv.visitInsn(ISUB);
        mv.visitJumpInsn(IF_ICMPLE, inside);
        mv.visitLabel(outside);
        newInstance(mv, "java/lang/IndexOutOfBoundsException");
        mv.visitInsn(ATHROW);

        mv.visitLabel(inside);
        mv.visitVarInsn(ILOAD, 3);
        mv.visitJumpInsn(IFNE, some);
        mv.visitInsn(ICONST_0);
        mv.visitInsn(IRETURN);
        mv.visitLabel(some);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "handler", "L" + HANDLER + ";");
        mv.visitVarInsn(ALOAD, 0);
        mv.visitFieldInsn(GETFIELD, STREAM, "stream", "J");
        mv.visitVarInsn(ALOAD, 1);
        mv.visitVarInsn(ILOAD, 2);
        mv.visitVarInsn(ILOAD, 3);
        mv.visitMethodInsn(INVOKEVIRTUAL, HANDLER, "readResourceStream", "(J[BII)I", false);
        mv.visitVarInsn(ISTORE, 4);
        mv.visitVarInsn(ILOAD, 4);
        mv.visitJumpInsn(IFLE, counted);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitInsn(DUP);
        mv.visitFieldInsn(GETFIELD, STREAM, "remaining", "J");
        mv.visitVarInsn(ILOAD, 4);
        mv.visitInsn(I2L);
        mv.visitInsn(LSUB);
        mv.visitFieldInsn(PUTFIELD, STREAM, "remaining", "J");
        mv.visitLabel(counted);
        mv.visitVarInsn(ILOAD, 4);
        mv.visitInsn(IRETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    private static byte[] splash() {
        ClassWriter cw = begin(V45_3, ACC_PUBLIC | ACC_FINAL | ACC_SUPER, SPLASH,
                "java/lang/Object");
        staticInitialiser(cw, null);
        constructor(cw, ACC_PUBLIC, "java/lang/Object");
        final String splashType = "()L" + SPLASH + ";";

        forward(cw, ACC_PUBLIC | ACC_STATIC, "getSplashScreen", splashType,
                "nativeGetSplashScreen", ARETURN);
        forward(cw, ACC_PUBLIC, "autoClose", "(I)V", "nativeAutoClose", RETURN);
        forward(cw, ACC_PUBLIC, "close", "()V", "nativeClose", RETURN);

        cw.visitMethod(ACC_PROTECTED | ACC_STATIC | ACC_NATIVE, "nativeGetSplashScreen",
                splashType, null, null).visitEnd();
        cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "nativeAutoClose", "(I)V", null, null)
                .visitEnd();
        cw.visitMethod(ACC_PROTECTED | ACC_NATIVE, "nativeClose", "()V", null, null).visitEnd();
        cw.visitEnd();
        return cw.toByteArray();
    }

    // A method of SplashScreen that passes its arguments (none, or one int) to the native
    // `target` of the same descriptor and returns what it returns.
    private static void forward(ClassWriter cw, int access, String name, String descriptor,
            String target, int returnOpcode) {
        boolean isStatic = (access & ACC_STATIC) != 0;
        MethodVisitor mv = cw.visitMethod(access, name, descriptor, null, null);
        mv.visitCode();
        if (!isStatic) mv.visitVarInsn(ALOAD, 0);
        if (descriptor.startsWith("(I)")) mv.visitVarInsn(ILOAD, 1);
        mv.visitMethodInsn(isStatic ? INVOKESTATIC : INVOKEVIRTUAL, SPLASH, target, descriptor,
                false);
        mv.visitInsn(returnOpcode);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    private static void constructor(ClassWriter cw, int access, String superName) {
        MethodVisitor mv = cw.visitMethod(access, "<init>", "()V", null, null);
        mv.visitCode();
        mv.visitVarInsn(ALOAD, 0);
        mv.visitMethodInsn(INVOKESPECIAL, superName, "<init>", "()V", false);
        mv.visitInsn(RETURN);
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }

    // The static initialiser: an empty "loadedData" table first when `tableOwner` is set,
    // then the native library named by the system property "oru.app.path".
    private static void staticInitialiser(ClassWriter cw, String tableOwner) {
        MethodVisitor mv = cw.visitMethod(ACC_STATIC, "<clinit>", "()V", null, null);
        mv.visitCode();
        if (tableOwner != null) {
            mv.visitTypeInsn(NEW, "java/util/Hashtable");
            mv.visitInsn(DUP);
            mv.visitMethodInsn(INVOKESPECIAL, "java/util/Hashtable", "<init>", "()V", false);
            mv.visitFieldInsn(PUTSTATIC, tableOwner, "loadedData", "Ljava/util/Hashtable;");
        }
        Label tryStart = new Label();
        Label tryEnd = new Label();
        Label refused = new Label();
        Label done = new Label();
        if (!plain) {
            mv.visitTryCatchBlock(tryStart, tryEnd, refused,
                    extended ? "java/lang/Throwable" : "java/lang/UnsatisfiedLinkError");
        }
        mv.visitLdcInsn("oru.app.path");
        mv.visitMethodInsn(INVOKESTATIC, "java/lang/System", "getProperty",
                "(Ljava/lang/String;)Ljava/lang/String;", false);
        mv.visitVarInsn(ASTORE, 0);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitJumpInsn(IFNULL, done);
        mv.visitLabel(tryStart);
        mv.visitVarInsn(ALOAD, 0);
        mv.visitMethodInsn(INVOKESTATIC, "java/lang/System", "load", "(Ljava/lang/String;)V",
                false);
        mv.visitLabel(tryEnd);
        mv.visitLabel(done);
        mv.visitInsn(RETURN);
        if (!plain) {
            mv.visitLabel(refused);
            mv.visitInsn(POP);
            mv.visitInsn(RETURN);
        }
        mv.visitMaxs(0, 0);
        mv.visitEnd();
    }
}
