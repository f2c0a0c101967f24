// Tests of QorvaZelKit.cs under Mono: a game's first run, menu and second run
// on its schema, the settings while the game runs, and what the binding
// refuses. Built with QorvaZel.cs, QorvaZelKit.cs and Check.cs into one
// program; exits with 0 when all pass.
using System;
using System.Collections.Generic;
using System.IO;
using System.Linq;
using System.Runtime.InteropServices;
using System.Text;
using QorvaZel;
using static Check;

internal static class QorvaZelKitTests
{
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
  ],
  ""commandLine"": {""-width"": {""mode"": ""width""}, ""-height"": {""mode"": ""height""},
                  ""-refresh"": {""mode"": ""refresh""}}
}";

    // The game's options; more changes them before the open.
    private static SettingsKit Open(string dir, string schema = Schema, Action<KitOptions> more = null)
    {
        var options = new KitOptions
        {
            SchemaPath = "game.schema.json", SchemaText = schema, DisplayName = "Kit Game", ConfigPath = dir,
            Executable = "game",
        };
        options.Facts["videoMemoryMB"] = "12288";
        options.Resolutions.Add(new Resolution(1920, 1080, 60f));
        if (more != null) more(options);
        return new SettingsKit(options);
    }

    // The same game with its modes as a display reports them, on the display id.
    private static SettingsKit OpenWithModes(string dir, string displayId, List<KitChangedEventArgs> heard)
    {
        return Open(dir, Schema, o =>
        {
            o.Resolutions.Clear();
            o.Modes.Add(new DisplayMode(1280, 720, 60, 1));
            o.Modes.Add(new DisplayMode(1920, 1080, 60000, 1001));
            o.DisplayId = displayId;
            o.Changed = (sender, e) => heard.Add(e);
        });
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

    // Events, apply / confirm / revert on the kit's clock, overrides, display modes.
    private static void WhileTheGameRuns(string dir)
    {
        ulong now = 1000;
        SettingsKit.SetClock(() => now);
        var heard = new List<KitChangedEventArgs>();
        using (SettingsKit kit = OpenWithModes(dir, "DEL-U2720Q-1234", heard))
        {
            Equal(heard.Last().What, "preset High", "the first run's preset, heard at the open");

            // 59.94 in its three spellings is one mode; the kit keeps the listed one.
            var spoken = new DisplayMode(1920, 1080, 59.94f);
            var fraction = new DisplayMode(1920, 1080, 60000, 1001);
            var reported = new DisplayMode(1920, 1080, 59.940002f);
            Expect(spoken.Matches(fraction) && fraction.Matches(reported) && SettingsKit.ModesMatch(reported, spoken),
                   "59.94 = 60000/1001 = 59.940002");
            Expect(!spoken.Matches(new DisplayMode(1920, 1080, 60f)), "59.94 is not 60");
            kit.SetMode(reported);
            Equal(kit.GetMode().Current.RefreshDenominator, 1001u, "the mode as listed");
            Equal(kit.ClosestMode(new DisplayMode(2560, 1440, 144f)).Value.Width, 1920u, "the closest mode");

            // A handler that throws loses nothing; one that calls the kit hears its own change inside.
            EventHandler<KitChangedEventArgs> thrower = (sender, e) => { throw new InvalidOperationException("menu gone"); };
            EventHandler<KitChangedEventArgs> follower = (sender, e) =>
            {
                if (e.Kind == KitEventKind.Value && e.Name == "VSync") kit.SetInt("ShadowQuality", 0);
            };
            kit.Changed += thrower;
            kit.Changed += follower;
            heard.Clear();
            kit.SetBool("VSync", false);
            Equal(kit.GetInt("ShadowQuality"), 0, "set by the handler");
            Equal(string.Join(";", heard.Select(e => e.What)), "set VSync;set ShadowQuality", "events, inner first");
            Expect(heard[0].OldValue.Value.Bool && !heard[0].NewValue.Value.Bool, "old and new value");
            Expect(kit.TakeEventError() is InvalidOperationException, "the handler's exception is kept");
            Equal(kit.TakeEventError(), null, "and handed over once");
            kit.Changed -= thrower;
            kit.Changed -= follower;

            // One refused edit: nothing applied, every edit still pending.
            kit.SetPending("ShadowQuality", 2);
            kit.SetPending("Textures", "Ultra");
            KitApplyResult refused = kit.Apply();
            Equal(refused.Status, KitStatus.ApplyRefused, "apply refused");
            Equal(string.Join(",", refused.Refusals.Select(r => r.Option + " " + r.Status)), "Textures ValueNotAllowed",
                  "the refusal");
            Equal(kit.GetInt("ShadowQuality"), 0, "nothing applied");
            Equal(kit.List().Find("ShadowQuality").Pending, KitValue.OfInt(2), "still pending");
            kit.RevertPending();

            // A provisional mode comes back at its deadline.
            kit.SetPendingMode(new DisplayMode(1280, 720, 60f));
            KitApplyResult applied = kit.Apply(TimeSpan.FromSeconds(5));
            Expect(applied.Applied && applied.Provisional && applied.ModeChanged, "a provisional mode");
            Equal(applied.Deadline, 6000UL, "the deadline");
            now = 5999;
            Equal(kit.Poll(), TimeSpan.FromMilliseconds(1), "time left");
            heard.Clear();
            now = 6000;
            Equal(kit.GetMode().Current.Width, 1920u, "the mode put back");
            Expect(heard.Last().Kind == KitEventKind.Revert && heard.Last().Expired, "REVERT, expired");
            Expect(!kit.Confirm(), "too late to confirm");

            // Overrides apply for this run and never reach the file.
            kit.ApplyCommandLine("-width", "1280", "-height", "720", "-refresh", "60", "--set", "ShadowQuality=4", "-log");
            kit.SetOverride("VSync", true);
            Equal(kit.GetInt("ShadowQuality"), 4, "overridden");
            Expect(kit.List().Find("ShadowQuality").Overridden, "listed as overridden");
            Equal(kit.GetMode().Current.Width, 1280u, "the mode overridden");
            try
            {
                kit.ApplyCommandLine("--set", "ShadowQuality=9");
                Expect(false, "a refused command line");
            }
            catch (KitException e)
            {
                Equal(e.Status, KitStatus.ValueNotAllowed, "ShadowQuality=9");
                Expect(e.Detail.Contains("ShadowQuality=9"), "the argument named: " + e.Detail);
            }
            kit.Save();
            string xml = Encoding.Unicode.GetString(File.ReadAllBytes(kit.Opened.SettingsPath));
            Expect(xml.Contains("Name=\"ShadowQuality\" Registered=\"True\" Type=\"Integer\" Value=\"0\""), xml);
            Expect(xml.Contains("Name=\"VSync\" Registered=\"True\" Type=\"Bool\" Value=\"false\""), xml);
            Expect(xml.Contains("<RESOLUTION Width=\"1920\""), xml);
            kit.ClearOverrides();
            Equal(kit.GetInt("ShadowQuality"), 0, "the player's value back");
        }
        SettingsKit.SetClock(null);

        // Another monitor: reported at the open.
        heard.Clear();
        using (SettingsKit kit = OpenWithModes(dir, "LEN-T14", heard))
        {
            Expect(kit.Opened.DisplayChanged && kit.Opened.ModeListed, "another display, the mode listed");
            Equal(kit.Opened.SavedDisplayId, "DEL-U2720Q-1234", "the file's display");
            Equal(heard.Last().Kind, KitEventKind.Display, "DISPLAY event");
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
            { typeof(KitNative.Value), new[] { 20, 24 } }, { typeof(KitNative.OpenInfo), new[] { 80, 152 } },
            { typeof(KitNative.OpenResult), new[] { 64, 96 } }, { typeof(KitNative.OptionInfo), new[] { 180, 240 } },
            { typeof(KitNative.NamedEntry), new[] { 8, 16 } }, { typeof(KitNative.Finding), new[] { 28, 48 } },
            { typeof(DisplayMode), new[] { 20, 20 } }, { typeof(KitNative.ModeInfo), new[] { 72, 80 } },
            { typeof(KitNative.Event), new[] { 104, 120 } }, { typeof(KitNative.Refusal), new[] { 8, 16 } },
        };
        foreach (KeyValuePair<Type, int[]> c in sizes)
            Equal(Marshal.SizeOf(c.Key), c.Value[IntPtr.Size / 8], "Marshal.SizeOf " + c.Key.Name);
        Equal((int)Marshal.OffsetOf(typeof(KitNative.OptionInfo), "NumSteps"), IntPtr.Size == 8 ? 168 : 124,
              "OptionInfo.NumSteps");
        // 28 or 32 on 32-bit, by the platform's alignment of a uint64_t (c_layout.c).
        int deadline = (int)Marshal.OffsetOf(typeof(KitNative.ApplyResult), "Deadline");
        Expect(IntPtr.Size == 8 ? deadline == 48 : deadline == 28 || deadline == 32, "ApplyResult.Deadline at " + deadline);
    }

    private static int Main(string[] args)
    {
        return Check.Run(args, "csharp_kit_test", new Check.Part("Layouts (" + IntPtr.Size * 8 + "-bit runtime)", dir => Layouts()),
                         new Check.Part("Scenario", Scenario), new Check.Part("While the game runs", WhileTheGameRuns),
                         new Check.Part("Refusals", Refusals));
    }
}
