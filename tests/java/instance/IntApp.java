package instance;

// The int form of secondaryMain: a first argument "reply=N" chooses the reply, "throw"
// makes it throw instead.
public class IntApp {
    public static void main(String[] args) {
        App.main(args);
    }

    public static int secondaryMain(String[] args) {
        App.record("secondary int " + App.describe(args));
        App.sleep(Long.getLong("instance.secondaryMillis", 0));
        if (args.length > 0 && args[0].equals("throw")) throw new IllegalStateException("thrown by secondaryMain");
        int reply = args.length > 0 && args[0].startsWith("reply=") ? Integer.parseInt(args[0].substring(6)) : 0;
        App.record("secondary int returns " + reply);
        return reply;
    }
}
