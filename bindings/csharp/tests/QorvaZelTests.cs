// Tests of QorvaZel.cs under Mono: a game's whole settings cycle, the traps
// of a hand-written binding, and the record layouts for 32- and 64-bit.
// Built with the binding and Check.cs into one program; exits with 0 when
// all pass.
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Reflection;
using System.Runtime.InteropServices;
using QorvaZel;
using static Check;

internal static class QorvaZelTests
{
    private static void Throws(Status expected, Action action, string what)
    {
        try
        {
            action();
            Expect(false, what + ": no exception, wanted " + expected);
        }
        catch (QorvaZelException e)
        {
            Equal(e.Status, expected, what);
        }
    }

    private static readonly Resolution[] Modes =
    {
        new Resolution(1280, 720, 60f), new Resolution(1920, 1080, 59.94f), new Resolution(2560, 1440, 144f),
    };

    private static Settings Open(string dir)
    {
        return new Settings(new AppInfo
        {
            DisplayName = "Scenario Game", VersionName = "1.0", InstallPath = "/opt/scenario",
            ConfigPath = dir, Executable = "scenario", ExecCmd = "scenario --windowed",
        });
    }

    // What the game does at start-up: one line per option.
    private static void RegisterGameOptions(Settings game)
    {
        game.Add(Option.Int("ShadowQuality", 2, 0, 4, 4),
                 Option.Float("Gamma", 1.0f, 0.5f, 2.5f, 4),
                 Option.Enum("TextureFilter", "Trilinear", "Bilinear", "Trilinear", "Anisotropic ×16"),
                 Option.Bool("VSync", true),
                 Option.Int("Détail", 1, 0, 3, 3),
                 Option.Bool("Détail", false)); // same name, other type: registered last, it answers
        game.SetResolutions(Modes);
    }

    private static void Scenario(string dir)
    {
        using (Settings game = Open(dir))
        {
            RegisterGameOptions(game);
            Equal(game.TryAdd(Option.Int("ShadowQuality", 2, 0, 4, 4)), Status.AlreadyRegistered, "register twice");

            Expect(!game.Load(), "first load finds no file");
            Equal(game.Resolution, new Resolution(0, 0, 0f), "no resolution after a first run");
            Expect(game.HasUnsavedChanges, "unsaved after a first run");
            Equal(game.GetInt("ShadowQuality"), 2, "default ShadowQuality");
            Equal(game.GetEnum("TextureFilter"), "Trilinear", "default TextureFilter");

            Equal(game.TrySetInt("ShadowQuality", 7), Status.ValueNotAllowed, "ShadowQuality 7");
            game.SetInt("ShadowQuality", 3);
            Equal(game.TrySetFloat("Gamma", 1.25f), Status.ValueNotOnStep, "Gamma 1.25");
            game.SetFloat("Gamma", 1.5f);
            Throws(Status.ValueNotAllowed, () => game.SetEnum("TextureFilter", "Nearest"), "TextureFilter Nearest");
            game.SetEnum("TextureFilter", "Anisotropic ×16");
            game.SetBool("VSync", false);
            Equal(game.TrySetInt("Détail", 2), Status.TypeMismatch, "Détail as Integer");
            game.SetBool("Détail", true);
            Equal(game.TrySetBool("MotionBlur", true), Status.OptionNotFound, "MotionBlur");
            Throws(Status.ValueNotAllowed, () => game.Resolution = new Resolution(800, 600, 60f), "800 x 600");
            game.Resolution = Modes[1];

            Expect(game.HasUnsavedChanges, "unsaved after the sets");
            game.Save();
            Expect(!game.HasUnsavedChanges, "saved");
        }
        Expect(File.Exists(Path.Combine(dir, "GFXSettings.scenario.xml")), "the settings file has its name");

        using (Settings game = Open(dir))
        {
            RegisterGameOptions(game);
            Expect(game.Load(), "second load reads the file");
            Expect(!game.HasUnsavedChanges, "nothing unsaved after the load");
            Equal(game.Resolution, Modes[1], "resolution back");
            Equal(game.GetInt("ShadowQuality"), 3, "ShadowQuality back");
            Equal(game.GetFloat("Gamma"), 1.5f, "Gamma back");
            Equal(game.GetEnum("TextureFilter"), "Anisotropic ×16", "TextureFilter back");
            Expect(!game.GetBool("VSync"), "VSync back");
            bool shared;
            Equal(game.TryGetBool("Détail", out shared), Status.AmbiguousOption, "shared name");
            Expect(shared, "shared Bool back");
            Expect(game.GetBool("Détail"), "GetBool takes the ambiguous answer");
            Throws(Status.TypeMismatch, () => game.GetInt("Détail"), "Integer of the shared name");
        }
    }

    private static void Traps(string dir)
    {
        using (Settings game = Open(dir))
        {
            Throws(Status.AlreadyInitialized, () => Open(dir), "a second Settings");
            game.Add(Option.Bool("VSync", true), Option.Enum("Filter", "Bilinear", "Bilinear", "Trilinear"));
            Throws(Status.TypeMismatch, () => game.GetInt("VSync"), "Integer of a Bool");
            Throws(Status.TypeMismatch, () => game.GetBool("Filter"), "Bool of an Enum");
            Throws(Status.OptionNotFound, () => game.GetBool("Missing"), "missing option");
            // The library would read the string only up to the NUL: "Trilinear" would be set.
            Throws<ArgumentException>(() => game.TrySetEnum("Filter", "Trilinear\0junk"), "a string with a NUL");
            Equal(game.GetEnum("Filter"), "Bilinear", "Filter after the refused string");
            game.Dispose();
            game.Dispose(); // a second Dispose does nothing
            // The library now belongs to the next Settings; the disposed one must not reach it.
            using (Settings next = Open(dir))
            {
                next.Add(Option.Int("ShadowQuality", 2, 0, 4));
                Throws<ObjectDisposedException>(() => game.SetInt("ShadowQuality", 3), "set after Dispose");
                Throws<ObjectDisposedException>(() => game.Save(), "save after Dispose");
                Equal(next.GetInt("ShadowQuality"), 2, "the next Settings' value");
                Expect(Directory.GetFiles(dir).Length == 0, "a disposed Settings saved the file");
            }
        }
        Equal(Settings.LibraryVersion, Settings.InterfaceVersion, "library version");
        var messages = new HashSet<string>();
        foreach (Status s in Enum.GetValues(typeof(Status)))
            Expect(messages.Add(s.Message()) && s.Message() != ((Status)(-5)).Message(), "message of " + s);
        var error = new QorvaZelException(Status.ValueNotOnStep, "set Gamma");
        Expect(error.Message.Contains("-22") && error.Message.Contains("step"), "exception message " + error.Message);
    }

    // ---- Layouts ---------------------------------------------------------------

    // Offsets and sizes of the C records for 32- and 64-bit pointers, the
    // numbers that c_layout.c checks against the C compiler for several targets.
    private static readonly Dictionary<string, int[]> CLayout = new Dictionary<string, int[]>
    {
        { "Value", new[] { 4, 8 } },
        { "Variant.Value", new[] { 4, 8 } }, { "Variant", new[] { 8, 16 } },
        { "Range.MaxValue", new[] { 4, 8 } }, { "Range.NumSteps", new[] { 8, 16 } }, { "Range", new[] { 12, 24 } },
        { "EnumList.NumValues", new[] { 4, 8 } }, { "EnumList", new[] { 8, 16 } },
        { "OptionDesc.Type", new[] { 4, 8 } }, { "OptionDesc.Value", new[] { 8, 16 } },
        { "OptionDesc.Limits", new[] { 12, 24 } }, { "OptionDesc", new[] { 24, 48 } },
        { "AppInfo", new[] { 24, 48 } },
        { "Resolution.RefreshRate", new[] { 8, 8 } }, { "Resolution", new[] { 12, 12 } },
        { "Version", new[] { 16, 16 } },
    };

    // Lays a struct out as the runtime's marshaller does for the given
    // pointer size: sequential fields at their natural alignment, explicit
    // ones at their FieldOffset; the size rounded up to the alignment.
    private static void Lay(Type t, int pointer, out int size, out int align, Dictionary<string, int> offsets)
    {
        size = 0;
        align = 1;
        int end = 0;
        foreach (FieldInfo f in t.GetFields(BindingFlags.Instance | BindingFlags.Public | BindingFlags.NonPublic)
                                  .OrderBy(f => f.MetadataToken))
        {
            int fieldSize, fieldAlign;
            Type ft = f.FieldType;
            if (ft == typeof(IntPtr)) fieldSize = fieldAlign = pointer;
            else if (ft == typeof(byte)) fieldSize = fieldAlign = 1;
            else if (ft == typeof(int) || ft == typeof(uint) || ft == typeof(float)) fieldSize = fieldAlign = 4;
            else Lay(ft, pointer, out fieldSize, out fieldAlign, null);
            int at = t.IsExplicitLayout ? f.GetCustomAttribute<FieldOffsetAttribute>().Value
                                        : (end + fieldAlign - 1) / fieldAlign * fieldAlign;
            if (offsets != null) offsets[t.Name + "." + f.Name] = at;
            end = at + fieldSize;
            size = Math.Max(size, end);
            align = Math.Max(align, fieldAlign);
        }
        size = (size + align - 1) / align * align;
        if (offsets != null) offsets[t.Name] = size;
    }

    private static void Layouts()
    {
        Type[] records =
        {
            typeof(Native.Value), typeof(Native.Variant), typeof(Native.Range), typeof(Native.EnumList),
            typeof(Native.OptionDesc), typeof(Native.AppInfo), typeof(Resolution), typeof(Native.Version),
        };
        foreach (int pointer in new[] { 4, 8 })
        {
            var laid = new Dictionary<string, int>();
            foreach (Type t in records)
            {
                int size, align;
                Lay(t, pointer, out size, out align, laid);
            }
            foreach (KeyValuePair<string, int[]> c in CLayout)
                Equal(laid[c.Key], c.Value[pointer / 8], pointer * 8 + "-bit " + c.Key);
        }
        // What this runtime really lays out, against the same numbers.
        int here = IntPtr.Size / 8;
        foreach (Type t in records)
        {
            Equal(Marshal.SizeOf(t), CLayout[t.Name][here], "Marshal.SizeOf " + t.Name);
            foreach (FieldInfo f in t.GetFields())
            {
                int[] c;
                if (CLayout.TryGetValue(t.Name + "." + f.Name, out c))
                    Equal((int)Marshal.OffsetOf(t, f.Name), c[here], "Marshal.OffsetOf " + t.Name + "." + f.Name);
            }
        }
        Equal(Native.Library, "qorva_zel", "library name");
    }

    private static int Main(string[] args)
    {
        return Check.Run(args, "csharp_test", new Check.Part("Layouts (" + IntPtr.Size * 8 + "-bit runtime)", dir => Layouts()),
                         new Check.Part("Scenario", Scenario), new Check.Part("Traps", Traps));
    }
}
