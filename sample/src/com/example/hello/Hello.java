package com.example.hello;

import java.lang.management.ManagementFactory;

/** The sample application: says where it runs and what it was given. */
public final class Hello {
    public static void main(String[] args) {
        System.out.println("Hello from a Java application started by jlaunch.");
        System.out.println("Java " + System.getProperty("java.version") + " from " + System.getProperty("java.home"));
        System.out.println("Process id " + ManagementFactory.getRuntimeMXBean().getPid()
                + ", maximum heap " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MB");
        System.out.println("Class path: " + System.getProperty("java.class.path"));
        System.out.println("Greeting: " + System.getProperty("sample.greeting"));
        System.out.println(args.length + " argument(s):");
        for (String arg : args) {
            System.out.println("  [" + arg + "]");
        }
    }
}
