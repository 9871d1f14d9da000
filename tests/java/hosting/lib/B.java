package hosting.lib;

public class B {}
