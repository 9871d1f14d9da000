package instance;

// An application without secondaryMain: forwarded launches get no reply.
public class Plain {
    public static void main(String[] args) {
        App.main(args);
    }
}
