// What the C# test programs share: checks that count failures, and a Main
// that runs named parts, each with a folder of its own under a fresh root.
using System;
using System.Collections.Generic;
using System.IO;

internal static class Check
{
    private static int _failures;

    public static void Expect(bool condition, string what)
    {
        if (condition) return;
        Console.WriteLine("  FAILED: " + what);
        ++_failures;
    }

    public static void Equal<T>(T actual, T expected, string what)
    {
        Expect(EqualityComparer<T>.Default.Equals(actual, expected), what + ": got " + actual + ", wanted " + expected);
    }

    public static void Throws<TException>(Action action, string what) where TException : Exception
    {
        try
        {
            action();
            Expect(false, what + ": no exception, wanted " + typeof(TException).Name);
        }
        catch (TException)
        {
        }
    }

    /// <summary>A part of a test program: its name and what it runs in its folder.</summary>
    public struct Part
    {
        public readonly string Name;
        public readonly Action<string> Run;

        public Part(string name, Action<string> run)
        {
            Name = name;
            Run = run;
        }
    }

    /// <summary>Runs the parts in order under a new folder in args[0] (or the
    /// temporary folder), removed afterwards; 0 when every check passed.</summary>
    public static int Run(string[] args, string name, params Part[] parts)
    {
        string root = Path.Combine(args.Length > 0 ? args[0] : Path.GetTempPath(), name + "_" + Guid.NewGuid().ToString("N"));
        try
        {
            foreach (Part part in parts)
            {
                string dir = Path.Combine(root, part.Name.Split(' ')[0].ToLowerInvariant());
                Directory.CreateDirectory(dir);
                Console.WriteLine(part.Name);
                part.Run(dir);
            }
        }
        catch (Exception e)
        {
            Console.WriteLine("  FAILED with " + e);
            ++_failures;
        }
        finally
        {
            if (Directory.Exists(root)) Directory.Delete(root, true);
        }
        Console.WriteLine(_failures == 0 ? "all passed" : _failures + " failure(s)");
        return _failures == 0 ? 0 : 1;
    }
}
