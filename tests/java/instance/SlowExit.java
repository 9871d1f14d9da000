package instance;

// A program whose shutdown takes a while: its shutdown hook records that it runs, then
// waits -Dinstance.hookMillis (3 s).
public class SlowExit {
    public static void main(String[] args) throws Exception {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            App.record("shutdown hook runs");
            try {
                Thread.sleep(Long.getLong("instance.hookMillis", 3000));
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        }));
        App.main(args);
    }

    public static void secondaryMain(String[] args) throws Exception {
        App.secondaryMain(args);
    }
}
