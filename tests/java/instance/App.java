package instance;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;

// A single-instance application: main runs until the file named by -Dinstance.stop
// appears (or -Dinstance.mainMillis or 60 s have passed), and every forwarded launch is
// recorded, one line each, in the UTF-8 file named by -Dinstance.log. secondaryMain
// takes -Dinstance.secondaryMillis to run.
public class App {
    static synchronized void record(String line) {
        try {
            Files.write(Paths.get(System.getProperty("instance.log")),
                        (line + "\n").getBytes(StandardCharsets.UTF_8), StandardOpenOption.CREATE,
                        StandardOpenOption.APPEND);
        } catch (Exception e) {
            throw new IllegalStateException(e);
        }
    }

    // "count=2 [a|b]", so that one line holds one whole argument list.
    static String describe(String[] args) {
        return "count=" + args.length + " [" + String.join("|", args) + "]";
    }

    static void pause(String property) throws InterruptedException {
        Thread.sleep(Long.getLong(property, 0));
    }

    public static void main(String[] args) throws Exception {
        record("main " + describe(args));
        String stop = System.getProperty("instance.stop", "");
        long end = System.currentTimeMillis() + Long.getLong("instance.mainMillis", 60000);
        while (System.currentTimeMillis() < end && (stop.isEmpty() || !Files.exists(Paths.get(stop)))) {
            Thread.sleep(20);
        }
        record("main returns");
    }

    public static void secondaryMain(String[] args) throws Exception {
        record("secondary void " + describe(args));
        pause("instance.secondaryMillis");
        record("secondary void returns " + describe(args));
    }
}
