package hosting.extra;

public class C {}
