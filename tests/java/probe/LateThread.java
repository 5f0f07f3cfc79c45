// Returns from main while a non-daemon thread still has work to do, and leaves a daemon
// thread running for ever.
package probe;

public class LateThread {
    public static void main(String[] args) {
        Thread daemon = new Thread(() -> {
            while (true) {
                try {
                    Thread.sleep(10);
                } catch (InterruptedException e) {
                    return;
                }
            }
        });
        daemon.setDaemon(true);
        daemon.start();
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(1500);
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("worker finished");
        });
        worker.start();
        System.out.println("main returned");
    }
}
