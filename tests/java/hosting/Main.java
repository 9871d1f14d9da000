package hosting;

import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;

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
            case "args": {
                List<String> lines = new ArrayList<>();
                lines.add("count " + args.length);
                for (int i = 0; i < args.length; i++) lines.add(i + ":" + args[i]);
                write(lines.toArray(new String[0]));
                break;
            }
            case "exit":
                System.exit(Integer.getInteger("hosting.code", 3));
                break;
            case "throw":
                throw new IllegalStateException("thrown by hosting.Main");
            case "classes":
                for (String name : args) {
                    Class.forName(name);
                    write("loaded " + name);
                }
                break;
            case "depth":
                // How deep this thread can call: its stack size, give or take a frame.
                try {
                    recurse();
                } catch (StackOverflowError e) {
                    write("depth " + depth);
                }
                break;
            case "thread": {
                // A non-daemon thread outlives main; it reports whether the thread that
                // ran main is still in the virtual machine, then ends the program.
                final Thread mainThread = Thread.currentThread();
                final boolean exits = Boolean.getBoolean("hosting.threadExits");
                Thread worker = new Thread(() -> {
                    try {
                        Thread.sleep(1000);
                        write("main thread alive " + mainThread.isAlive(), "worker done");
                    } catch (Exception e) {
                        throw new RuntimeException(e);
                    }
                    if (exits) System.exit(4);
                });
                worker.start();
                write("main returns");
                break;
            }
            default:
                throw new IllegalArgumentException(System.getProperty("hosting.mode"));
        }
    }
}
