package instance;

import java.nio.charset.StandardCharsets;
import java.nio.file.*;

// A single-instance application that records every call in the file -Dinstance.log. main
// runs until the file -Dinstance.stop appears or -Dinstance.mainMillis (60 s) have passed;
// secondaryMain takes -Dinstance.secondaryMillis. -Dinstance.windowed=true: main returns at
// once, the program lives on in a thread; -Dinstance.hookMillis: a shutdown hook that long.
public class App {
    static synchronized void record(String line) {
        try {
            Files.write(Paths.get(System.getProperty("instance.log")), (line + "\n").getBytes(StandardCharsets.UTF_8),
                        StandardOpenOption.CREATE, StandardOpenOption.APPEND);
        } catch (Exception e) {
            throw new IllegalStateException(e);
        }
    }

    static String describe(String[] args) {  // "count=2 [a|b]": one line holds one argument list
        return "count=" + args.length + " [" + String.join("|", args) + "]";
    }

    static void sleep(long millis) {
        try {
            Thread.sleep(millis);
        } catch (InterruptedException e) {
            throw new IllegalStateException(e);
        }
    }

    public static void main(String[] args) {
        final long hookMillis = Long.getLong("instance.hookMillis", 0);
        if (hookMillis > 0) Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            record("shutdown hook runs");
            sleep(hookMillis);
        }));
        if (!Boolean.getBoolean("instance.windowed")) {
            run(args);
            return;
        }
        new Thread(() -> run(args)).start();
        record("windowed main returns");
    }

    static void run(String[] args) {
        record("main " + describe(args));
        String stop = System.getProperty("instance.stop", "");
        long end = System.currentTimeMillis() + Long.getLong("instance.mainMillis", 60000);
        while (System.currentTimeMillis() < end && (stop.isEmpty() || !Files.exists(Paths.get(stop)))) sleep(20);
        record("main returns");
    }

    public static void secondaryMain(String[] args) {
        record("secondary void " + describe(args));
        sleep(Long.getLong("instance.secondaryMillis", 0));
        record("secondary void returns " + describe(args));
    }
}
