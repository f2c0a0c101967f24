// Tests of QorvaZelKit.cs under Mono: a game's first run, menu and second run
// on its schema, and what the binding refuses. Built with QorvaZel.cs and
// QorvaZelKit.cs into one program; exits with 0 when all pass.
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Runtime.InteropServices;
using QorvaZel;

internal static class QorvaZelKitTests
{
    private static int _failures;

    private static void Expect(bool condition, string what)
    {
        if (condition) return;
        Console.WriteLine("  FAILED: " + what);
        ++_failures;
    }

    private static void Equal<T>(T actual, T expected, string what)
    {
        Expect(EqualityComparer<T>.Default.Equals(actual, expected), what + ": got " + actual + ", wanted " + expected);
    }

    private static void Throws<TException>(Action action, string what) where TException : Exception
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

    private static void Throws(KitStatus expected, Action action, string what)
    {
        try
        {
            action();
            Expect(false, what + ": no exception, wanted " + expected);
        }
        catch (KitException e)
        {
            Equal(e.Status, expected, what);
        }
    }

    private const string Schema = @"{
  ""settingsVersion"": 2,
  ""categories"": [{""name"": ""display""}, {""name"": ""quality"", ""labelKey"": ""cat.quality""}],
  ""options"": [
    {""name"": ""VSync"", ""type"": ""Bool"", ""default"": true, ""category"": ""display""},
    {""name"": ""ShadowQuality"", ""type"": ""Integer"", ""default"": 2, ""min"": 0, ""max"": 4, ""steps"": 4,
     ""category"": ""quality"", ""labelKey"": ""opt.shadows""},
    {""name"": ""Textures"", ""type"": ""Enum"", ""default"": ""Medium"", ""allowed"": [""Low"", ""Medium"", ""Très haut""],
     ""category"": ""quality""}
  ],
  ""presets"": {
    ""options"": [""ShadowQuality"", ""Textures""],
    ""levels"": [
      {""name"": ""Low"", ""values"": {""ShadowQuality"": 0, ""Textures"": ""Low""}},
      {""name"": ""High"", ""values"": {""ShadowQuality"": 4, ""Textures"": ""Très haut""}}
    ]
  },
  ""tiers"": [
    {""name"": ""big-gpu"", ""when"": {""fact"": ""videoMemoryMB"", ""atLeast"": 8192}, ""preset"": ""High""},
    {""name"": ""fallback"", ""preset"": ""Low""}
  ]
}";

    private static SettingsKit Open(string dir, string schema = Schema)
    {
        var options = new KitOptions
        {
            SchemaPath = "game.schema.json", SchemaText = schema, DisplayName = "Kit Game", ConfigPath = dir,
            Executable = "game",
        };
        options.Facts["videoMemoryMB"] = "12288";
        options.Resolutions.Add(new Resolution(1920, 1080, 60f));
        return new SettingsKit(options);
    }

    private static void Scenario(string dir)
    {
        using (SettingsKit kit = Open(dir))
        {
            Expect(kit.Opened.FirstRun, "first run");
            Equal(kit.Opened.Preset, "High", "the tier's preset");
            Equal(kit.Opened.TierName, "big-gpu", "the tier");
            Equal(kit.LoadReport().Count, 0, "nothing to report on a first run");

            KitListing menu = kit.List(KitOrder.Category);
            Equal(string.Join(",", menu.Select(o => o.Name)), "VSync,ShadowQuality,Textures", "menu order");
            Equal(menu.Categories[1].LabelKey, "cat.quality", "category label");
            Equal(menu.Presets.Length, 2, "presets");
            KitOption textures = menu.Find("Textures");
            Equal(string.Join(",", textures.Allowed), "Low,Medium,Très haut", "allowed strings");
            Equal(textures.Current.String, "Très haut", "the preset's value");
            Expect(textures.Changed && textures.Saved == null, "changed, nothing saved");
            Equal(menu.Find("ShadowQuality").LabelKey, "opt.shadows", "label key");

            var changes = new List<string>();
            kit.Changed += (sender, e) => changes.Add(e.What);
            kit.SetInt("ShadowQuality", 3);
            Equal(kit.CurrentPreset, SettingsKit.Custom, "Custom after a change");
            Equal(kit.TrySetInt("ShadowQuality", 7), KitStatus.ValueNotAllowed, "ShadowQuality 7");
            Throws(KitStatus.NotFound, () => kit.ApplyPreset("Ultra"), "no such preset");
            Throws(KitStatus.TypeMismatch, () => kit.SetBool("Textures", true), "Bool of an Enum");
            Equal(string.Join(";", changes), "set ShadowQuality", "the Changed events");
            kit.Save();
        }

        using (SettingsKit kit = Open(dir))
        {
            Expect(!kit.Opened.FirstRun, "second run");
            Equal(kit.Opened.Preset, null, "no preset chosen on a second run");
            Equal(kit.GetInt("ShadowQuality"), 3, "ShadowQuality back");
            Equal(kit.GetEnum("Textures"), "Très haut", "Textures back");
            Expect(!kit.HoldsDefault("ShadowQuality"), "changed by the player");
            kit.ResetCategory("quality");
            Equal(kit.GetInt("ShadowQuality"), 2, "reset to the default");
        }
    }

    private static void Refusals(string dir)
    {
        try
        {
            Open(dir, "{\n  \"settingsVersion\": 1,\n  \"options\": [\n    {\"name\": 5}\n  ]\n}").Dispose();
            Expect(false, "a broken schema opened");
        }
        catch (KitException e)
        {
            Equal(e.Status, KitStatus.Schema, "broken schema");
            Expect(e.Detail.StartsWith("game.schema.json:4:"), "the schema's line: " + e.Detail);
        }

        SettingsKit kit = Open(dir);
        using (kit)
        {
            Throws(KitStatus.AlreadyOpen, () => Open(dir), "a second kit");
            // The kit would read the string only up to the NUL: "Low" would be set.
            Throws<ArgumentException>(() => kit.TrySetEnum("Textures", "Low\0junk"), "a string with a NUL");
            Equal(kit.GetEnum("Textures"), "Très haut", "Textures after the refused string");
        }
        Throws<ObjectDisposedException>(() => kit.SetInt("ShadowQuality", 3), "set after Dispose");
        Throws<ObjectDisposedException>(() => kit.List(), "list after Dispose");
        Throws(KitStatus.InvalidArgument, () => SettingsKit.LocalSettingsFolder("../elsewhere"), "folder with ..");
        Expect(SettingsKit.StatusText(KitStatus.ValueNotOnStep).Contains("step"), "status text");
    }

    // The sizes c_layout.c checks against the C compiler, { 32-bit, 64-bit }.
    private static void Layouts()
    {
        var sizes = new Dictionary<Type, int[]>
        {
            { typeof(KitNative.Value), new[] { 20, 24 } }, { typeof(KitNative.OpenInfo), new[] { 68, 128 } },
            { typeof(KitNative.OpenResult), new[] { 52, 72 } }, { typeof(KitNative.OptionInfo), new[] { 140, 192 } },
            { typeof(KitNative.NamedEntry), new[] { 8, 16 } }, { typeof(KitNative.Finding), new[] { 28, 48 } },
        };
        foreach (KeyValuePair<Type, int[]> c in sizes)
            Equal(Marshal.SizeOf(c.Key), c.Value[IntPtr.Size / 8], "Marshal.SizeOf " + c.Key.Name);
        Equal((int)Marshal.OffsetOf(typeof(KitNative.OptionInfo), "NumSteps"), IntPtr.Size == 8 ? 168 : 124,
              "OptionInfo.NumSteps");
    }

    private static int Main(string[] args)
    {
        string root = Path.Combine(args.Length > 0 ? args[0] : Path.GetTempPath(),
                                   "csharp_kit_test_" + Guid.NewGuid().ToString("N"));
        try
        {
            Directory.CreateDirectory(Path.Combine(root, "scenario"));
            Directory.CreateDirectory(Path.Combine(root, "refusals"));
            Console.WriteLine("Layouts (" + IntPtr.Size * 8 + "-bit runtime)");
            Layouts();
            Console.WriteLine("Scenario");
            Scenario(Path.Combine(root, "scenario"));
            Console.WriteLine("Refusals");
            Refusals(Path.Combine(root, "refusals"));
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
