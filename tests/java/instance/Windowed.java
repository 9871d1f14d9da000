package instance;

// A program whose main returns at once and lives on in a thread of its own, as a windowed
// program does once it has shown its window.
public class Windowed {
    public static void main(String[] args) {
        new Thread(() -> {
            try {
                App.main(args);
            } catch (Exception e) {
                throw new IllegalStateException(e);
            }
        }).start();
        App.record("windowed main returns");
    }

    public static void secondaryMain(String[] args) throws Exception {
        App.secondaryMain(args);
    }
}
