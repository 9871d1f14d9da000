// What the redirection and option tests look at from inside the virtual machine. The
// first argument picks what to do; the rest are its parameters.
public class Probe {
    public static void main(String[] args) throws Exception {
        switch (args[0]) {
            case "interleave":  // lines to both streams in turn, as a program logging to one file does
                for (int i = 1; i <= Integer.parseInt(args[1]); i++) {
                    System.out.println("out " + i);
                    System.err.println("err " + i);
                }
                break;
            case "print":
                System.out.println("to out: " + args[1]);
                System.err.println("to err: " + args[1]);
                break;
            case "property":
            case "env":
                for (int i = 1; i < args.length; i++) {
                    String name = args[i];
                    System.out.println(name + "=" + (args[0].equals("env") ? System.getenv(name) : System.getProperty(name)));
                }
                break;
            case "feature":
                System.out.println("feature=" + Runtime.version().feature());
                break;
            case "maxmemory":
                System.out.println("maxMemory=" + Runtime.getRuntime().maxMemory());
                break;
            case "load":  // a class that only the current directory could provide
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
                throw new IllegalStateException(args[1]);
        }
    }
}
