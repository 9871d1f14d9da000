// What the redirection and option tests look at from inside the virtual machine. The
// first argument picks what to do; the rest are its parameters.
import java.util.Arrays;

public class Probe {
    public static void main(String[] args) throws Exception {
        switch (args.length == 0 ? "" : args[0]) {
            case "interleave": {
                // Lines to both streams in turn, as a program logging to one file does.
                int count = Integer.parseInt(args[1]);
                for (int i = 1; i <= count; i++) {
                    System.out.println("out " + i);
                    System.err.println("err " + i);
                }
                break;
            }
            case "print":
                System.out.println("to out: " + args[1]);
                System.err.println("to err: " + args[1]);
                break;
            case "property":
                for (int i = 1; i < args.length; i++) {
                    System.out.println(args[i] + "=" + System.getProperty(args[i]));
                }
                break;
            case "env":
                for (int i = 1; i < args.length; i++) {
                    System.out.println(args[i] + "=" + System.getenv(args[i]));
                }
                break;
            case "feature":
                System.out.println("feature=" + Runtime.version().feature());
                break;
            case "maxmemory":
                System.out.println("maxMemory=" + Runtime.getRuntime().maxMemory());
                break;
            case "args":
                System.out.println("args=" + Arrays.toString(Arrays.copyOfRange(args, 1, args.length)));
                break;
            case "load":
                // A class that only the current directory could provide.
                try {
                    Class.forName(args[1]);
                    System.out.println("loaded " + args[1]);
                } catch (ClassNotFoundException e) {
                    System.out.println("not found " + args[1]);
                }
                break;
            case "exit":
                System.out.println("exiting " + args[1]);
                System.exit(Integer.parseInt(args[1]));
            case "throw":
                System.out.println("before the exception");
                throw new IllegalStateException(args.length > 1 ? args[1] : "no message");
            default:
                System.out.println("usage: Probe interleave|print|property|env|maxmemory|args|load|exit|throw ...");
        }
    }
}
