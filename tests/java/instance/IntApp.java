package instance;

// The int form of secondaryMain: a first argument "reply=N" chooses the reply, and
// "throw" makes it throw instead of returning.
public class IntApp {
    public static void main(String[] args) throws Exception {
        App.main(args);
    }

    public static int secondaryMain(String[] args) throws Exception {
        App.record("secondary int " + App.describe(args));
        App.pause("instance.secondaryMillis");
        if (args.length > 0 && args[0].equals("throw")) throw new IllegalStateException("thrown by secondaryMain");
        int reply = args.length > 0 && args[0].startsWith("reply=") ? Integer.parseInt(args[0].substring(6)) : 0;
        App.record("secondary int returns " + reply);
        return reply;
    }
}
