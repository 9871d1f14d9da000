package hosting;

import java.nio.charset.StandardCharsets;
import java.nio.file.*;
import java.util.Arrays;

// What a hosted program can see of its launch, written in UTF-8 to the file named by
// -Dhosting.out; -Dhosting.mode chooses what it does.
public class Main {
    static void write(String... lines) throws Exception {
        Files.write(Paths.get(System.getProperty("hosting.out")), Arrays.asList(lines), StandardCharsets.UTF_8,
                    StandardOpenOption.CREATE, StandardOpenOption.APPEND);
    }

    static int depth;

    static void recurse() {
        depth++;
        recurse();
    }

    public static void main(String[] args) throws Exception {
        switch (System.getProperty("hosting.mode", "args")) {
            case "args":
                write("count " + args.length);
                for (int i = 0; i < args.length; i++) write(i + ":" + args[i]);
                break;
            case "exit":
                System.exit(3);
            case "throw":
                throw new IllegalStateException("thrown by hosting.Main");
            case "classes":
                for (String name : args) write("loaded " + Class.forName(name).getName());
                break;
            case "depth":  // how deep this thread can call: its stack size, give or take a frame
                try {
                    recurse();
                } catch (StackOverflowError e) {
                    write("depth " + depth);
                }
                break;
            case "thread":
                // A thread outlives main and reports whether the thread that ran main is
                // still in the virtual machine; with -Dhosting.threadExits it ends the program.
                final Thread mainThread = Thread.currentThread();
                new Thread(() -> {
                    try {
                        Thread.sleep(1000);
                        write("main thread alive " + mainThread.isAlive(), "worker done");
                    } catch (Exception e) {
                        throw new RuntimeException(e);
                    }
                    if (Boolean.getBoolean("hosting.threadExits")) System.exit(4);
                }).start();
                write("main returns");
        }
    }
}
