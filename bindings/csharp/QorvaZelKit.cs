// QorvaZelKit.cs - the Qorva Zel settings kit for C#.
//
// One more file beside QorvaZel.cs, in the same manner: C# 7.3, .NET Standard
// 2.0 API only, no unsafe code, Cdecl calls into the native kit library
// qorva_zel_kit (qorva_zel_kit.dll on Windows, libqorva_zel_kit.so on Linux),
// which needs qorva_zel beside it. The game's schema file (docs/kit.md)
// describes every option; the kit registers them, picks a preset from the
// hardware on a first run, migrates older settings files and reports what a
// load did not apply.
//
//   var options = new QorvaZel.KitOptions {
//       SchemaPath = "mygame.schema.json", DisplayName = "My Game",
//       ConfigPath = QorvaZel.SettingsKit.LocalSettingsFolder("MyGame", true), Executable = "mygame" };
//   options.Facts["gpuVendor"] = "nvidia";
//   options.Facts["videoMemoryMB"] = "8192";
//   using (var kit = new QorvaZel.SettingsKit(options))
//   {
//       if (kit.Opened.FirstRun) Console.WriteLine("preset " + kit.Opened.Preset + " from " + kit.Opened.TierName);
//       foreach (QorvaZel.KitFinding f in kit.LoadReport()) Console.WriteLine(f.Option + ": " + f.Message);
//       kit.Changed += (sender, e) => Console.WriteLine(e.Kind + " " + e.Name + ": " + e.OldValue + " -> " + e.NewValue);
//       foreach (QorvaZel.KitOption o in kit.List(QorvaZel.KitOrder.Category))
//           Console.WriteLine(o.Category + " " + o.LabelKey + " = " + o.Current);
//       kit.SetInt("ShadowQuality", 3);               // KitException when refused
//       kit.Save();
//   }
//
// As in QorvaZel.cs, failures are exceptions (KitException, carrying the
// KitStatus) and the TrySet methods return the status of a value the library
// refused. Strings cross as zero-terminated UTF-8 in native memory, freed
// after each call; a string with a NUL character is refused
// (ArgumentException); a disposed SettingsKit throws ObjectDisposedException.
// Listings and load reports are copied whole into managed objects, so they
// stay valid after the kit is closed.
//
// While the game runs: Changed hears every change made through the kit (on
// the calling thread, after the kit's lock is released, so a handler may call
// the kit); pending edits are applied as one with Apply, a new display mode
// can be provisional until Confirm; overrides (SetOverride, ApplyCommandLine)
// are never saved; DisplayMode takes a rate as a fraction (60000/1001) or a
// number (59.94) and matches them tolerantly. A handler's exception cannot
// cross the native frame: it is caught, the change stands, the other
// handlers still hear the event, and TakeEventError hands it over.
using System;
using System.Collections;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Text;
using System.Threading;

namespace QorvaZel
{
    /// <summary>Every status the kit returns: the library's (as in Status)
    /// and the kit's own, -1000 and below.</summary>
    public enum KitStatus
    {
        Ok = 0,
        FileError = -1,
        FileNotFound = -2,
        VersionMismatch = -3,
        NullArgument = -4,
        OptionNotFound = -20,
        AmbiguousOption = -21,
        ValueNotOnStep = -22,
        ValueNotAllowed = -23,
        AlreadyRegistered = -24,
        TypeMismatch = -25,
        OptionsDirty = -30,
        NotInitialized = -100,
        AlreadyInitialized = -101,
        NotOpen = -1000,
        AlreadyOpen = -1001,
        Schema = -1002,
        BufferTooSmall = -1003,
        NotFound = -1004,
        InvalidArgument = -1005,
        Unavailable = -1006,
        Backup = -1007,
        LibraryInUse = -1008,
        /// <summary>Apply refused one or more pending edits; nothing was changed.</summary>
        ApplyRefused = -1009,
        /// <summary>A change is provisional: confirm or revert it first.</summary>
        Provisional = -1010,
        /// <summary>Confirm or RevertProvisional with no provisional change.</summary>
        NotProvisional = -1011,
        /// <summary>Confirm after the deadline: the change was put back.</summary>
        Expired = -1012,
    }

    /// <summary>A call the kit refused; Status says why, Detail what the kit
    /// said besides (a schema error's "FILE:LINE:COLUMN: problem").</summary>
    public sealed class KitException : Exception
    {
        public KitStatus Status { get; }
        public string Detail { get; }

        public KitException(KitStatus status, string what, string detail = "")
            : base(what + ": " + SettingsKit.StatusText(status) + " (" + (int)status + ")"
                   + (string.IsNullOrEmpty(detail) ? "" : ": " + detail))
        {
            Status = status;
            Detail = detail ?? "";
        }
    }

    public enum OptionType { Integer = 0, Float = 1, Enum = 2, Bool = 3 }

    /// <summary>A typed value; only the member of Type is meaningful.</summary>
    public struct KitValue
    {
        public OptionType Type;
        public int Int;
        public float Float;
        public bool Bool;
        public string String;

        public static KitValue OfInt(int v) { return new KitValue { Type = OptionType.Integer, Int = v }; }
        public static KitValue OfFloat(float v) { return new KitValue { Type = OptionType.Float, Float = v }; }
        public static KitValue OfEnum(string v) { return new KitValue { Type = OptionType.Enum, String = v }; }
        public static KitValue OfBool(bool v) { return new KitValue { Type = OptionType.Bool, Bool = v }; }

        public static implicit operator KitValue(int v) { return OfInt(v); }
        public static implicit operator KitValue(float v) { return OfFloat(v); }
        public static implicit operator KitValue(bool v) { return OfBool(v); }
        public static implicit operator KitValue(string v) { return OfEnum(v); }

        public override string ToString()
        {
            switch (Type)
            {
                case OptionType.Integer: return Int.ToString();
                case OptionType.Float: return Float.ToString(System.Globalization.CultureInfo.InvariantCulture);
                case OptionType.Enum: return String;
                default: return Bool ? "true" : "false";
            }
        }
    }

    /// <summary>A display mode as players have it: the refresh rate as a
    /// fraction (60000/1001) or, with RefreshDenominator 0, as RefreshRate
    /// (59.94). The kit fills in all three. Two modes match (Matches) when
    /// the sizes are equal and the rates differ by less than RefreshTolerance
    /// hertz: 59.94, 60000/1001 and 59.940002 are one mode.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public struct DisplayMode
    {
        /// <summary>Hertz; rates closer than this are one rate.</summary>
        public const double RefreshTolerance = 0.005;

        public uint Width;
        public uint Height;
        public uint RefreshNumerator;
        /// <summary>0: the rate is RefreshRate.</summary>
        public uint RefreshDenominator;
        public float RefreshRate;

        public DisplayMode(uint width, uint height, uint refreshNumerator, uint refreshDenominator)
        {
            Width = width;
            Height = height;
            RefreshNumerator = refreshNumerator;
            RefreshDenominator = refreshDenominator;
            RefreshRate = 0f;
        }

        public DisplayMode(uint width, uint height, float refreshRate)
        {
            Width = width;
            Height = height;
            RefreshNumerator = 0;
            RefreshDenominator = 0;
            RefreshRate = refreshRate;
        }

        /// <summary>Same size and rates within RefreshTolerance hertz; needs no open kit.</summary>
        public bool Matches(DisplayMode other) { return SettingsKit.ModesMatch(this, other); }

        public override string ToString()
        {
            string rate = RefreshDenominator > 0
                ? RefreshNumerator + "/" + RefreshDenominator
                : RefreshRate.ToString(System.Globalization.CultureInfo.InvariantCulture);
            return Width + " x " + Height + " at " + rate + " Hz";
        }
    }

    /// <summary>What SettingsKit needs: the schema, the six application
    /// strings (ConfigPath is the settings folder, Executable the middle of
    /// the file's name), the platform tags (first counts most), the facts
    /// the game knows about the machine, and its display modes.</summary>
    public sealed class KitOptions
    {
        public string SchemaPath;
        /// <summary>The schema itself, when the game embeds it; SchemaPath is then its name in messages.</summary>
        public string SchemaText;
        public string DisplayName = "";
        public string VersionName = "";
        public string InstallPath = "";
        public string ConfigPath = "";
        public string Executable = "";
        public string ExecCmd = "";
        public List<string> Tags = new List<string>();
        public Dictionary<string, string> Facts = new Dictionary<string, string>();
        public List<Resolution> Resolutions = new List<Resolution>();
        /// <summary>Leave out the facts the kit learns itself (logicalCpus, memoryMB, os).</summary>
        public bool NoSystemFacts;
        /// <summary>Instead of Resolutions: the modes with their rates as fractions.</summary>
        public List<DisplayMode> Modes = new List<DisplayMode>();
        /// <summary>The display's identity (the monitor's name and serial, say), saved
        /// with the mode; null or "" when unknown.</summary>
        public string DisplayId;
        /// <summary>A handler added to SettingsKit.Changed before the open, so that it
        /// hears the open's events too (Migration, Load, Display).</summary>
        public EventHandler<KitChangedEventArgs> Changed;
    }

    /// <summary>What the open did.</summary>
    public sealed class KitOpenResult
    {
        /// <summary>Ok; FileNotFound on a first run; FileError for a file that could not be read.</summary>
        public KitStatus LoadStatus { get; internal set; }
        public bool FirstRun { get; internal set; }
        /// <summary>First run: the preset the tiers chose, or null when no tier matched.</summary>
        public string Preset { get; internal set; }
        public int TierIndex { get; internal set; }
        public string TierName { get; internal set; }
        public uint SchemaVersion { get; internal set; }
        public uint FileVersion { get; internal set; }
        public bool Migrated { get; internal set; }
        public KitStatus MigrationStatus { get; internal set; }
        public string BackupPath { get; internal set; }
        public bool NewerFile { get; internal set; }
        public uint FindingCount { get; internal set; }
        public string SettingsPath { get; internal set; }
        /// <summary>The file was saved on another display than KitOptions.DisplayId.</summary>
        public bool DisplayChanged { get; internal set; }
        /// <summary>The display identity in the file ("" when none).</summary>
        public string SavedDisplayId { get; internal set; }
        /// <summary>False when the display no longer has the file's mode (see ClosestMode).</summary>
        public bool ModeListed { get; internal set; }
    }

    public enum KitOrder { Schema = 0, Category = 1 }

    /// <summary>One option as the schema and the library know it.</summary>
    public sealed class KitOption
    {
        public string Name { get; internal set; }
        public OptionType Type { get; internal set; }
        public string Category { get; internal set; }
        public string LabelKey { get; internal set; }
        public string DescriptionKey { get; internal set; }
        public uint Flags { get; internal set; }
        public KitValue Default { get; internal set; }
        public KitValue Current { get; internal set; }
        /// <summary>The value of the last load or save; null when there is none.</summary>
        public KitValue? Saved { get; internal set; }
        /// <summary>Integer and Float: the limits (NumSteps below 0: any value; 0: a range; 1 or more: steps).</summary>
        public KitValue MinValue { get; internal set; }
        public KitValue MaxValue { get; internal set; }
        public int NumSteps { get; internal set; }
        /// <summary>Enum: the allowed strings in order.</summary>
        public string[] Allowed { get; internal set; }
        public uint SchemaIndex { get; internal set; }
        /// <summary>The edit waiting for Apply, or null.</summary>
        public KitValue? Pending { get; internal set; }
        /// <summary>The player's own value, the one a save writes: Current unless
        /// overridden or provisional.</summary>
        public KitValue Player { get; internal set; }

        public bool RestartRequired { get { return (Flags & 1) != 0; } }
        public bool Hidden { get { return (Flags & 2) != 0; } }
        public bool Available { get { return (Flags & 4) == 0; } }
        /// <summary>The current value differs from the default.</summary>
        public bool Changed { get { return (Flags & 8) != 0; } }
        /// <summary>The current value differs from the saved one (or none is saved).</summary>
        public bool Unsaved { get { return (Flags & 32) != 0; } }
        /// <summary>An applied change is provisional until confirmed (the schema's "confirm").</summary>
        public bool ConfirmRequired { get { return (Flags & 64) != 0; } }
        /// <summary>Current is an override of this run; Player is what a save writes.</summary>
        public bool Overridden { get { return (Flags & 256) != 0; } }
        /// <summary>Current is provisional; Player is the value before it.</summary>
        public bool Provisional { get { return (Flags & 512) != 0; } }
    }

    /// <summary>A category or a preset.</summary>
    public struct KitEntry
    {
        public string Name;
        public string LabelKey;
    }

    /// <summary>A snapshot of the options, with the categories, the presets
    /// and the preset the values matched ("Custom" when none).</summary>
    public sealed class KitListing : IEnumerable<KitOption>
    {
        private readonly List<KitOption> _options;

        internal KitListing(List<KitOption> options, KitEntry[] categories, KitEntry[] presets, string current)
        {
            _options = options;
            Categories = categories;
            Presets = presets;
            CurrentPreset = current;
        }

        public KitEntry[] Categories { get; }
        public KitEntry[] Presets { get; }
        public string CurrentPreset { get; }
        public int Count { get { return _options.Count; } }
        public KitOption this[int index] { get { return _options[index]; } }

        /// <summary>The option of that name, or null.</summary>
        public KitOption Find(string name)
        {
            return _options.Find(o => o.Name == name);
        }

        public IEnumerator<KitOption> GetEnumerator() { return _options.GetEnumerator(); }
        IEnumerator IEnumerable.GetEnumerator() { return GetEnumerator(); }
    }

    /// <summary>A value of the settings file that was not applied, or not as
    /// written, in the words of qorvazel check.</summary>
    public sealed class KitFinding
    {
        public int Kind { get; internal set; }
        /// <summary>"out-of-range", "off-step", "not-allowed", "wrong-type", "unknown", ...</summary>
        public string KindName { get; internal set; }
        public string Option { get; internal set; }
        public string Text { get; internal set; }
        public string Message { get; internal set; }
        public uint Line { get; internal set; }
        public uint Column { get; internal set; }
    }

    /// <summary>The findings of the last open or load, in file order.</summary>
    public sealed class KitReport : IEnumerable<KitFinding>
    {
        private readonly List<KitFinding> _findings;

        internal KitReport(List<KitFinding> findings, string file)
        {
            _findings = findings;
            File = file;
        }

        /// <summary>The file the lines refer to.</summary>
        public string File { get; }
        public int Count { get { return _findings.Count; } }
        public KitFinding this[int index] { get { return _findings[index]; } }
        public IEnumerator<KitFinding> GetEnumerator() { return _findings.GetEnumerator(); }
        IEnumerator IEnumerable.GetEnumerator() { return GetEnumerator(); }
    }

    /// <summary>What an event tells (Kind), and which call made a Value or Mode change (Cause).</summary>
    public enum KitEventKind
    {
        /// <summary>An option's value changed: Name, OldValue, NewValue, Cause.</summary>
        Value = 1,
        /// <summary>The display mode changed: OldMode, NewMode, Cause.</summary>
        Mode = 2,
        /// <summary>(A Cause only) a set of a value or of the mode.</summary>
        Set = 3,
        /// <summary>A preset was applied: Name.</summary>
        Preset = 4,
        /// <summary>A reset: Name is the option or category, "" for all.</summary>
        Reset = 5,
        Load = 6,
        /// <summary>The file was migrated: FromVersion, ToVersion.</summary>
        Migration = 7,
        /// <summary>Pending edits were applied; Provisional tells whether to confirm.</summary>
        Apply = 8,
        Confirm = 9,
        /// <summary>The provisional change was put back; Expired: by its deadline.</summary>
        Revert = 10,
        Override = 11,
        /// <summary>The file was saved on another display: Name is the file's identity.</summary>
        Display = 12,
    }

    /// <summary>One change event of the kit, copied out of the kit's record.</summary>
    public sealed class KitChangedEventArgs : EventArgs
    {
        private readonly string _what;

        public KitChangedEventArgs(string what) { _what = what; }

        internal KitChangedEventArgs() { }

        public KitEventKind Kind { get; internal set; }
        /// <summary>Value and Mode: the kind of the call that made the change; otherwise Kind.</summary>
        public KitEventKind Cause { get; internal set; }
        /// <summary>The option, preset, category or display identity; "" when none.</summary>
        public string Name { get; internal set; }
        /// <summary>Value events: the value before and after; null for other kinds.</summary>
        public KitValue? OldValue { get; internal set; }
        public KitValue? NewValue { get; internal set; }
        /// <summary>Mode events: the mode before and after.</summary>
        public DisplayMode OldMode { get; internal set; }
        public DisplayMode NewMode { get; internal set; }
        public uint FromVersion { get; internal set; }
        public uint ToVersion { get; internal set; }
        /// <summary>Apply: the change awaits Confirm.</summary>
        public bool Provisional { get; internal set; }
        /// <summary>Revert: the deadline passed (false: RevertProvisional).</summary>
        public bool Expired { get; internal set; }

        /// <summary>The event in words: "set NAME" (a value set by SetInt and the
        /// like), "value NAME" (changed by another call), "preset NAME", "reset
        /// NAME", "reset all", "load", "apply", "revert", "display ID", ...</summary>
        public string What
        {
            get
            {
                if (_what != null) return _what;
                string name = string.IsNullOrEmpty(Name) ? "" : " " + Name;
                if (Kind == KitEventKind.Value) return (Cause == KitEventKind.Set ? "set" : "value") + name;
                if (Kind == KitEventKind.Reset && name.Length == 0) return "reset all";
                return Kind.ToString().ToLowerInvariant() + name;
            }
        }
    }

    /// <summary>The display mode as a menu needs it.</summary>
    public sealed class KitModeInfo
    {
        public DisplayMode Current { get; internal set; }
        /// <summary>The player's own mode, the one a save writes.</summary>
        public DisplayMode Player { get; internal set; }
        /// <summary>The mode waiting for Apply, or null.</summary>
        public DisplayMode? Pending { get; internal set; }
        public bool Overridden { get; internal set; }
        public bool Provisional { get; internal set; }
        /// <summary>The current mode differs from the last load or save.</summary>
        public bool Unsaved { get; internal set; }
        /// <summary>The game's modes as listed at open, fractions filled in.</summary>
        public DisplayMode[] Modes { get; internal set; }
    }

    /// <summary>A pending edit Apply refused: the option ("" for the display mode) and why.</summary>
    public struct KitRefusal
    {
        public string Option;
        public KitStatus Status;
    }

    /// <summary>What Apply did: all of the pending edits or, when any was
    /// refused (Status ApplyRefused), none.</summary>
    public sealed class KitApplyResult
    {
        public KitStatus Status { get; internal set; }
        public bool Applied { get { return Status == KitStatus.Ok; } }
        /// <summary>Every refused edit, in schema order, the mode last.</summary>
        public KitRefusal[] Refusals { get; internal set; }
        /// <summary>The options whose value changed, in schema order.</summary>
        public string[] Changed { get; internal set; }
        /// <summary>Of those, the ones that take effect after a restart.</summary>
        public string[] RestartRequired { get; internal set; }
        public bool ModeChanged { get; internal set; }
        /// <summary>The new mode (and "confirm" options) wait for Confirm until Deadline.</summary>
        public bool Provisional { get; internal set; }
        /// <summary>Milliseconds on the kit's clock (SetClock).</summary>
        public ulong Deadline { get; internal set; }
    }

    /// <summary>The open kit. The constructor opens it (one per process, as
    /// the library is one); Dispose closes it without saving. After Dispose
    /// every call but Dispose, TakeEventError and removing a Changed handler
    /// throws ObjectDisposedException.</summary>
    public sealed class SettingsKit : IDisposable
    {
        /// <summary>The name CurrentPreset gives when the values match no preset.</summary>
        public const string Custom = "Custom";

        private bool _open;

        // The kit's subscription while Changed has handlers: its token and the
        // handle that takes the kit's callback back to this object.
        private readonly object _subscriptionLock = new object();
        private EventHandler<KitChangedEventArgs> _changed;
        private ulong _token;
        private GCHandle _self;
        private Exception _eventError;

        /// <summary>Every change made through the kit, by any caller: each option's
        /// value (old and new), the mode, a preset, a reset, a load, a migration,
        /// an apply, a confirmation, a revert, overrides, another display. Raised
        /// on the thread of the call that made the change, after the kit's lock is
        /// released and before that call returns, so a handler may call the kit.
        /// One call's events come as: Migration; a Value per changed option in
        /// schema order, then Mode; then the call's own. A handler that throws
        /// loses nothing: the change stands, the other handlers still hear the
        /// event, and TakeEventError hands the first exception over.</summary>
        public event EventHandler<KitChangedEventArgs> Changed
        {
            add
            {
                ThrowIfDisposed();
                lock (_subscriptionLock)
                {
                    _changed += value;
                    if (_token == 0 && _changed != null) Subscribe();
                }
            }
            remove
            {
                GCHandle self;
                ulong token;
                lock (_subscriptionLock)
                {
                    _changed -= value;
                    if (_changed != null) return;
                    token = TakeSubscription(out self);
                }
                Unsubscribe(token, self);
            }
        }

        public KitOpenResult Opened { get; }

        public SettingsKit(KitOptions options)
        {
            if (options == null) throw new ArgumentNullException("options");
            if (options.SchemaPath == null && options.SchemaText == null)
                throw new ArgumentNullException("options", "give SchemaPath or SchemaText");
            _open = true; // for Changed; the kit itself is not open yet
            try
            {
                if (options.Changed != null) Changed += options.Changed;
                Opened = Open(options);
            }
            catch
            {
                Dispose(false);
                throw;
            }
        }

        private static KitOpenResult Open(KitOptions options)
        {
            using (var strings = new Utf8Strings())
            {
                var info = new KitNative.OpenInfo
                {
                    StructSize = (uint)Marshal.SizeOf(typeof(KitNative.OpenInfo)),
                    DisplayName = strings.Add(options.DisplayName, "DisplayName"),
                    VersionName = strings.Add(options.VersionName, "VersionName"),
                    InstallPath = strings.Add(options.InstallPath, "InstallPath"),
                    ConfigPath = strings.Add(options.ConfigPath, "ConfigPath"),
                    Executable = strings.Add(options.Executable, "Executable"),
                    ExecCmd = strings.Add(options.ExecCmd, "ExecCmd"),
                    Flags = options.NoSystemFacts ? 1u : 0u,
                };
                if (options.SchemaPath != null) info.SchemaPath = strings.Add(options.SchemaPath, "SchemaPath");
                if (options.SchemaText != null)
                {
                    int length;
                    info.SchemaText = strings.Add(options.SchemaText, "SchemaText", out length);
                    info.SchemaTextLength = (UIntPtr)(uint)length;
                }
                var tags = new List<IntPtr>();
                foreach (string tag in options.Tags) tags.Add(strings.Add(tag, "Tags"));
                info.Tags = strings.AddPointers(tags);
                info.TagCount = (uint)tags.Count;
                var facts = new List<IntPtr>();
                foreach (KeyValuePair<string, string> fact in options.Facts)
                {
                    facts.Add(strings.Add(fact.Key, "Facts"));
                    facts.Add(strings.Add(fact.Value, "Facts"));
                }
                info.Facts = strings.AddPointers(facts); // { Name, Value } pairs, as QORVA_ZEL_KIT_Fact
                info.FactCount = (uint)options.Facts.Count;
                Resolution[] resolutions = options.Resolutions.ToArray();
                info.Resolutions = strings.AddBlock(resolutions);
                info.ResolutionCount = (uint)resolutions.Length;
                DisplayMode[] modes = options.Modes.ToArray();
                info.Modes = strings.AddBlock(modes);
                info.ModeCount = (uint)modes.Length;
                if (options.DisplayId != null) info.DisplayId = strings.Add(options.DisplayId, "DisplayId");

                IntPtr result;
                var message = new byte[1024];
                int s = KitNative.QORVA_ZEL_KIT_Open(ref info, out result, message, (UIntPtr)(uint)message.Length);
                if (s != 0) throw new KitException((KitStatus)s, "open the kit", Utf8.FromBytes(message));
                try
                {
                    var r = (KitNative.OpenResult)Marshal.PtrToStructure(result, typeof(KitNative.OpenResult));
                    return new KitOpenResult
                    {
                        LoadStatus = (KitStatus)r.LoadStatus, FirstRun = r.FirstRun != 0,
                        Preset = Utf8.FromNative(r.Preset), TierIndex = r.TierIndex,
                        TierName = Utf8.FromNative(r.TierName), SchemaVersion = r.SchemaVersion,
                        FileVersion = r.FileVersion, Migrated = r.Migrated != 0,
                        MigrationStatus = (KitStatus)r.MigrationStatus, BackupPath = Utf8.FromNative(r.BackupPath),
                        NewerFile = r.NewerFile != 0, FindingCount = r.FindingCount,
                        SettingsPath = Utf8.FromNative(r.SettingsPath), DisplayChanged = r.DisplayChanged != 0,
                        SavedDisplayId = Utf8.FromNative(r.SavedDisplayId), ModeListed = r.ModeListed != 0,
                    };
                }
                finally
                {
                    KitNative.QORVA_ZEL_KIT_ReleaseOpenResult(result);
                }
            }
        }

        /// <summary>Closes the kit and releases the library, saving nothing, and
        /// ends the Changed subscription; a second call does nothing.</summary>
        public void Dispose() { Dispose(true); }

        private void Dispose(bool close)
        {
            if (!_open) return;
            _open = false;
            if (close) KitNative.QORVA_ZEL_KIT_Close();
            GCHandle self;
            ulong token;
            lock (_subscriptionLock)
            {
                _changed = null;
                token = TakeSubscription(out self);
            }
            Unsubscribe(token, self);
        }

        /// <summary>A short English text for any status, the library's included.</summary>
        public static string StatusText(KitStatus status)
        {
            return Utf8.FromNative(KitNative.QORVA_ZEL_KIT_StatusText((int)status));
        }

        /// <summary>The device-local settings folder of the platform with
        /// gameFolder appended (%LOCALAPPDATA% on Windows, $XDG_CONFIG_HOME or
        /// ~/.config elsewhere); create makes it when missing. Needs no open kit.</summary>
        public static string LocalSettingsFolder(string gameFolder, bool create = false)
        {
            using (var strings = new Utf8Strings())
            {
                IntPtr name = strings.Add(gameFolder, "gameFolder");
                return TextOut((byte[] b, UIntPtr size, out UIntPtr l) =>
                                   KitNative.QORVA_ZEL_KIT_LocalSettingsFolder(name, create ? 1u : 0u, b, size, out l),
                               "settings folder " + gameFolder);
            }
        }

        // ---- The settings file --------------------------------------------

        /// <summary>Reads the settings file again (migrating an older one) and
        /// makes a new load report; false when there is no file.</summary>
        public bool Load()
        {
            ThrowIfDisposed();
            int s = KitNative.QORVA_ZEL_KIT_Load();
            if (s == (int)KitStatus.FileNotFound) return false;
            Check(s, "load");
            return true;
        }

        public void Save()
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_Save(), "save");
        }

        // ---- Values -------------------------------------------------------

        /// <summary>The option's type and current value.</summary>
        public KitValue Get(string name)
        {
            ThrowIfDisposed();
            using (var strings = new Utf8Strings())
            {
                IntPtr n = strings.Add(name, "name");
                var value = new KitNative.Value();
                string text = TextOut((byte[] b, UIntPtr size, out UIntPtr l) =>
                                          KitNative.QORVA_ZEL_KIT_GetValue(n, ref value, b, size, out l),
                                      "get " + name);
                KitValue v = FromNative(value);
                if (v.Type == OptionType.Enum) v.String = text;
                return v;
            }
        }

        public int GetInt(string name) { return Typed(name, OptionType.Integer).Int; }
        public float GetFloat(string name) { return Typed(name, OptionType.Float).Float; }
        public string GetEnum(string name) { return Typed(name, OptionType.Enum).String; }
        public bool GetBool(string name) { return Typed(name, OptionType.Bool).Bool; }

        public void SetInt(string name, int value) { Check(TrySetInt(name, value), "set " + name); }
        public void SetFloat(string name, float value) { Check(TrySetFloat(name, value), "set " + name); }
        public void SetEnum(string name, string value) { Check(TrySetEnum(name, value), "set " + name); }
        public void SetBool(string name, bool value) { Check(TrySetBool(name, value), "set " + name); }

        public KitStatus TrySetInt(string name, int value) { return Set(name, KitValue.OfInt(value)); }
        public KitStatus TrySetFloat(string name, float value) { return Set(name, KitValue.OfFloat(value)); }
        public KitStatus TrySetBool(string name, bool value) { return Set(name, KitValue.OfBool(value)); }

        public KitStatus TrySetEnum(string name, string value)
        {
            if (value == null) throw new ArgumentNullException("value");
            return Set(name, KitValue.OfEnum(value));
        }

        // ---- Presets, defaults and resets ---------------------------------

        /// <summary>Sets every option of the preset's group as one change.</summary>
        public void ApplyPreset(string name) { Call(KitNative.QORVA_ZEL_KIT_ApplyPreset, name, "preset " + name); }
        public void Reset(string name) { Call(KitNative.QORVA_ZEL_KIT_ResetOption, name, "reset " + name); }
        public void ResetCategory(string category)
        {
            Call(KitNative.QORVA_ZEL_KIT_ResetCategory, category, "reset category " + category);
        }

        public void ResetAll()
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_ResetAll(), "reset all");
        }

        /// <summary>The first preset the values match, or Custom.</summary>
        public string CurrentPreset
        {
            get
            {
                ThrowIfDisposed();
                return TextOut((byte[] b, UIntPtr size, out UIntPtr l) => KitNative.QORVA_ZEL_KIT_CurrentPreset(b, size, out l),
                               "current preset");
            }
        }

        public bool HoldsDefault(string name)
        {
            ThrowIfDisposed();
            using (var strings = new Utf8Strings())
            {
                byte answer;
                Check(KitNative.QORVA_ZEL_KIT_HoldsDefault(strings.Add(name, "name"), out answer), "holds default " + name);
                return answer != 0;
            }
        }

        // ---- Listing and load report --------------------------------------

        /// <summary>A snapshot of the options (of one category when given);
        /// hidden options only when includeHidden.</summary>
        public KitListing List(KitOrder order = KitOrder.Schema, string category = null, bool includeHidden = false)
        {
            ThrowIfDisposed();
            using (var strings = new Utf8Strings())
            {
                IntPtr wanted = category == null ? IntPtr.Zero : strings.Add(category, "category");
                IntPtr handle;
                Check(KitNative.QORVA_ZEL_KIT_ListOptions((uint)order, wanted, includeHidden ? 1u : 0u, out handle),
                      "list options");
                try
                {
                    var options = new List<KitOption>();
                    uint count = KitNative.QORVA_ZEL_KIT_ListingCount(handle);
                    for (uint i = 0; i < count; ++i)
                        options.Add(FromNative((KitNative.OptionInfo)Marshal.PtrToStructure(
                            KitNative.QORVA_ZEL_KIT_ListingOption(handle, i), typeof(KitNative.OptionInfo))));
                    var categories = new KitEntry[KitNative.QORVA_ZEL_KIT_ListingCategoryCount(handle)];
                    for (uint i = 0; i < categories.Length; ++i)
                        categories[i] = Entry(KitNative.QORVA_ZEL_KIT_ListingCategory(handle, i));
                    var presets = new KitEntry[KitNative.QORVA_ZEL_KIT_ListingPresetCount(handle)];
                    for (uint i = 0; i < presets.Length; ++i)
                        presets[i] = Entry(KitNative.QORVA_ZEL_KIT_ListingPreset(handle, i));
                    return new KitListing(options, categories, presets,
                                          Utf8.FromNative(KitNative.QORVA_ZEL_KIT_ListingCurrentPreset(handle)));
                }
                finally
                {
                    KitNative.QORVA_ZEL_KIT_ReleaseListing(handle);
                }
            }
        }

        /// <summary>The findings of the last open or load.</summary>
        public KitReport LoadReport()
        {
            ThrowIfDisposed();
            IntPtr handle;
            Check(KitNative.QORVA_ZEL_KIT_GetLoadReport(out handle), "load report");
            try
            {
                var findings = new List<KitFinding>();
                uint count = KitNative.QORVA_ZEL_KIT_ReportCount(handle);
                for (uint i = 0; i < count; ++i)
                {
                    var f = (KitNative.Finding)Marshal.PtrToStructure(KitNative.QORVA_ZEL_KIT_ReportFinding(handle, i),
                                                                      typeof(KitNative.Finding));
                    findings.Add(new KitFinding
                    {
                        Kind = f.Kind, KindName = Utf8.FromNative(f.KindName), Option = Utf8.FromNative(f.Option),
                        Text = Utf8.FromNative(f.Text), Message = Utf8.FromNative(f.Message), Line = f.Line,
                        Column = f.Column,
                    });
                }
                return new KitReport(findings, Utf8.FromNative(KitNative.QORVA_ZEL_KIT_ReportFile(handle)));
            }
            finally
            {
                KitNative.QORVA_ZEL_KIT_ReleaseReport(handle);
            }
        }

        // ---- Change events ------------------------------------------------

        /// <summary>The first exception a Changed handler threw that was not taken
        /// yet, or null. Handlers run inside the kit's native call, which cannot
        /// pass an exception on: the change stands, the other handlers still hear
        /// the event, and the exception waits here.</summary>
        public Exception TakeEventError()
        {
            return Interlocked.Exchange(ref _eventError, null);
        }

        // The kit holds the static callback for good; user is this object's handle.
        private static readonly KitNative.EventCallback s_onEvent = OnEvent;

        [MonoPInvokeCallback(typeof(KitNative.EventCallback))]
        private static void OnEvent(IntPtr e, IntPtr user)
        {
            SettingsKit kit = null;
            try
            {
                kit = (SettingsKit)GCHandle.FromIntPtr(user).Target;
                EventHandler<KitChangedEventArgs> handlers = kit._changed;
                if (handlers == null) return;
                KitChangedEventArgs args = FromNative((KitNative.Event)Marshal.PtrToStructure(e, typeof(KitNative.Event)));
                foreach (EventHandler<KitChangedEventArgs> handler in handlers.GetInvocationList())
                {
                    try
                    {
                        handler(kit, args);
                    }
                    catch (Exception error)
                    {
                        Interlocked.CompareExchange(ref kit._eventError, error, null);
                    }
                }
            }
            catch (Exception error) // nothing may unwind into the kit
            {
                if (kit != null) Interlocked.CompareExchange(ref kit._eventError, error, null);
            }
        }

        // Under _subscriptionLock.
        private void Subscribe()
        {
            _self = GCHandle.Alloc(this);
            ulong token;
            int s = KitNative.QORVA_ZEL_KIT_Subscribe(s_onEvent, GCHandle.ToIntPtr(_self), out token);
            if (s != 0)
            {
                _self.Free();
                Check(s, "subscribe");
            }
            _token = token;
        }

        // Under _subscriptionLock: the subscription, which the caller ends with
        // Unsubscribe once it has left the lock (a handler on another thread may
        // be waiting for it, and the kit's Unsubscribe waits for that handler).
        private ulong TakeSubscription(out GCHandle self)
        {
            ulong token = _token;
            self = _self;
            _token = 0;
            _self = default(GCHandle);
            return token;
        }

        // When the kit's Unsubscribe returns the callback runs nowhere else
        // (called from a handler, it is not called again), so the handle can go.
        private static void Unsubscribe(ulong token, GCHandle self)
        {
            if (token == 0) return;
            KitNative.QORVA_ZEL_KIT_Unsubscribe(token);
            self.Free();
        }

        // ---- Display modes -------------------------------------------------

        /// <summary>Same size and rates within DisplayMode.RefreshTolerance hertz; needs no open kit.</summary>
        public static bool ModesMatch(DisplayMode a, DisplayMode b)
        {
            return KitNative.QORVA_ZEL_KIT_ModesMatch(ref a, ref b) != 0;
        }

        /// <summary>The current mode (with the fraction the game listed), the
        /// player's, a pending one and the game's modes.</summary>
        public KitModeInfo GetMode()
        {
            ThrowIfDisposed();
            var info = new KitNative.ModeInfo();
            Check(KitNative.QORVA_ZEL_KIT_GetMode(ref info), "get mode");
            var modes = new DisplayMode[info.ModeCount];
            int size = Marshal.SizeOf(typeof(DisplayMode));
            for (int i = 0; i < modes.Length; ++i)
                modes[i] = (DisplayMode)Marshal.PtrToStructure(info.Modes + i * size, typeof(DisplayMode));
            return new KitModeInfo
            {
                Current = info.Current, Player = info.Player,
                Pending = (info.Flags & 128) != 0 ? info.Pending : (DisplayMode?)null,
                Overridden = (info.Flags & 256) != 0, Provisional = (info.Flags & 512) != 0,
                Unsaved = (info.Flags & 32) != 0, Modes = modes,
            };
        }

        /// <summary>Makes the listed mode that matches mode current at once
        /// (ValueNotAllowed when none matches).</summary>
        public void SetMode(DisplayMode mode)
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_SetMode(ref mode), "set mode " + mode);
        }

        /// <summary>The listed mode closest to wanted (a matching one, else the
        /// nearest size, then the nearest rate); null when no modes are listed.</summary>
        public DisplayMode? ClosestMode(DisplayMode wanted)
        {
            ThrowIfDisposed();
            DisplayMode closest;
            int s = KitNative.QORVA_ZEL_KIT_ClosestMode(ref wanted, out closest);
            if (s == (int)KitStatus.NotFound) return null;
            Check(s, "closest mode to " + wanted);
            return closest;
        }

        // ---- Pending edits, apply, confirm, revert --------------------------

        /// <summary>An edit that waits in the kit until Apply; checked for its
        /// name, type and availability now, against its limits at Apply.</summary>
        public void SetPending(string name, KitValue value) { Check(TrySetPending(name, value), "set pending " + name); }

        public KitStatus TrySetPending(string name, KitValue value)
        {
            return SetWith(KitNative.QORVA_ZEL_KIT_SetPending, name, value);
        }

        /// <summary>A display mode for Apply, matched with the listed ones there.</summary>
        public void SetPendingMode(DisplayMode mode)
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_SetPendingMode(ref mode), "set pending mode " + mode);
        }

        /// <summary>Drops every pending edit.</summary>
        public void RevertPending()
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_RevertPending(), "revert pending edits");
        }

        /// <summary>Applies every pending edit as one change, final at once.</summary>
        public KitApplyResult Apply() { return Apply(TimeSpan.Zero); }

        /// <summary>Applies every pending edit as one change: all of them, or none
        /// when any is refused (Status ApplyRefused, each refusal named; the edits
        /// stay pending). With confirmWithin above zero a new display mode and the
        /// options flagged "confirm" are provisional: Confirm before the deadline,
        /// or the first kit call after it puts them back. Other failures throw.</summary>
        public KitApplyResult Apply(TimeSpan confirmWithin)
        {
            long ms = confirmWithin.Ticks / TimeSpan.TicksPerMillisecond;
            if (ms < 0 || ms > uint.MaxValue) throw new ArgumentOutOfRangeException("confirmWithin");
            ThrowIfDisposed();
            IntPtr made;
            int s = KitNative.QORVA_ZEL_KIT_Apply((uint)ms, out made);
            try
            {
                if (s != (int)KitStatus.ApplyRefused) Check(s, "apply");
                var r = (KitNative.ApplyResult)Marshal.PtrToStructure(made, typeof(KitNative.ApplyResult));
                var refusals = new KitRefusal[r.RefusalCount];
                int size = Marshal.SizeOf(typeof(KitNative.Refusal));
                for (int i = 0; i < refusals.Length; ++i)
                {
                    var f = (KitNative.Refusal)Marshal.PtrToStructure(r.Refusals + i * size, typeof(KitNative.Refusal));
                    refusals[i] = new KitRefusal { Option = Utf8.FromNative(f.Option), Status = (KitStatus)f.Status };
                }
                return new KitApplyResult
                {
                    Status = (KitStatus)s, Refusals = refusals, Changed = Utf8.FromNativeArray(r.Changed, r.ChangedCount),
                    RestartRequired = Utf8.FromNativeArray(r.RestartRequired, r.RestartCount),
                    ModeChanged = r.ModeChanged != 0, Provisional = r.Provisional != 0, Deadline = r.Deadline,
                };
            }
            finally
            {
                KitNative.QORVA_ZEL_KIT_ReleaseApplyResult(made);
            }
        }

        /// <summary>Makes the provisional change final; false when its deadline had
        /// passed and it was put back. NotProvisional when there is none.</summary>
        public bool Confirm()
        {
            ThrowIfDisposed();
            int s = KitNative.QORVA_ZEL_KIT_Confirm();
            if (s == (int)KitStatus.Expired) return false;
            Check(s, "confirm");
            return true;
        }

        /// <summary>Puts the provisional change back now (the player said no).</summary>
        public void RevertProvisional()
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_RevertProvisional(), "revert the provisional change");
        }

        /// <summary>Puts back a provisional change whose deadline has passed (as
        /// every kit call does); the time left while one is provisional, else null.</summary>
        public TimeSpan? Poll()
        {
            ThrowIfDisposed();
            byte provisional;
            ulong remaining;
            Check(KitNative.QORVA_ZEL_KIT_Poll(out provisional, out remaining), "poll");
            return provisional != 0 ? TimeSpan.FromMilliseconds(remaining) : (TimeSpan?)null;
        }

        private static readonly object s_clockLock = new object();
        private static readonly KitNative.ClockFunction s_readClock = ReadClock;
        private static Func<ulong> s_clock;
        private static ulong s_lastTime;
        private static Exception s_clockError;

        /// <summary>Replaces the kit's clock (milliseconds from any fixed point,
        /// never going back) with clock, for tests and games with a clock of their
        /// own; null puts the steady clock back. Needs no open kit. The kit reads
        /// it under its lock. A clock that throws gives the kit its last time, and
        /// TakeClockError hands the exception over.</summary>
        public static void SetClock(Func<ulong> clock)
        {
            lock (s_clockLock)
            {
                if (clock != null) s_clock = clock;
                KitNative.QORVA_ZEL_KIT_SetClock(clock != null ? s_readClock : null, IntPtr.Zero);
                if (clock == null) s_clock = null;
            }
        }

        /// <summary>The first exception the clock threw that was not taken yet, or null.</summary>
        public static Exception TakeClockError()
        {
            return Interlocked.Exchange(ref s_clockError, null);
        }

        [MonoPInvokeCallback(typeof(KitNative.ClockFunction))]
        private static ulong ReadClock(IntPtr user)
        {
            try
            {
                Func<ulong> clock = s_clock;
                if (clock != null) s_lastTime = clock();
            }
            catch (Exception error)
            {
                Interlocked.CompareExchange(ref s_clockError, error, null);
            }
            return s_lastTime;
        }

        // ---- Overrides, never saved -----------------------------------------

        /// <summary>Gives the option a value for this run: the listing shows it as
        /// Overridden and a save writes the player's own value.</summary>
        public void SetOverride(string name, KitValue value)
        {
            Check(SetWith(KitNative.QORVA_ZEL_KIT_SetOverride, name, value), "override " + name);
        }

        /// <summary>A display mode for this run, never saved.</summary>
        public void SetModeOverride(DisplayMode mode)
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_SetModeOverride(ref mode), "override mode " + mode);
        }

        /// <summary>Ends every override: the player's values and mode are current again.</summary>
        public void ClearOverrides()
        {
            ThrowIfDisposed();
            Check(KitNative.QORVA_ZEL_KIT_ClearOverrides(), "clear overrides");
        }

        /// <summary>Overrides from the command line, args as Main gets them (without
        /// the program's name): "--set NAME=VALUE" and the flags of the schema's
        /// "commandLine", such as "-width 1280 -height 720 -refresh 59.94".
        /// Arguments the kit does not know are left for the game. All or nothing:
        /// a refusal overrides nothing and its Detail names the argument.</summary>
        public void ApplyCommandLine(params string[] args)
        {
            if (args == null) throw new ArgumentNullException("args");
            ThrowIfDisposed();
            using (var strings = new Utf8Strings())
            {
                var argv = new List<IntPtr> { strings.Add("", "args") }; // argv[0], which the kit skips
                foreach (string arg in args) argv.Add(strings.Add(arg, "args"));
                var message = new byte[512];
                int s = KitNative.QORVA_ZEL_KIT_ApplyCommandLine(argv.Count, strings.AddPointers(argv), message,
                                                                 (UIntPtr)(uint)message.Length);
                if (s != 0) throw new KitException((KitStatus)s, "command line", Utf8.FromBytes(message));
            }
        }

        // ---- Inside -------------------------------------------------------

        private delegate int TextCall(byte[] buffer, UIntPtr size, out UIntPtr length);

        private void ThrowIfDisposed()
        {
            if (!_open) throw new ObjectDisposedException(typeof(SettingsKit).FullName);
        }

        private static void Check(KitStatus s, string what)
        {
            if (s != KitStatus.Ok) throw new KitException(s, what);
        }

        private static void Check(int s, string what) { Check((KitStatus)s, what); }

        private void Call(Func<IntPtr, int> call, string name, string what)
        {
            ThrowIfDisposed();
            using (var strings = new Utf8Strings())
                Check(call(strings.Add(name, "name")), what);
        }

        // Asks a "Text out" function for its string, growing the buffer as it says.
        private static string TextOut(TextCall call, string what)
        {
            var buffer = new byte[256];
            for (;;)
            {
                UIntPtr length;
                int s = call(buffer, (UIntPtr)(uint)buffer.Length, out length);
                if (s == (int)KitStatus.BufferTooSmall && (ulong)length >= (ulong)buffer.Length)
                {
                    buffer = new byte[(int)(ulong)length + 1];
                    continue;
                }
                Check(s, what);
                return Utf8.FromBytes(buffer);
            }
        }

        private KitValue Typed(string name, OptionType type)
        {
            KitValue v = Get(name);
            if (v.Type != type) throw new KitException(KitStatus.TypeMismatch, "get " + name);
            return v;
        }

        private delegate int ValueCall(IntPtr name, ref KitNative.Value value);

        private KitStatus Set(string name, KitValue value) { return SetWith(KitNative.QORVA_ZEL_KIT_SetValue, name, value); }

        // A call that takes an option's name and a value.
        private KitStatus SetWith(ValueCall call, string name, KitValue value)
        {
            ThrowIfDisposed();
            using (var strings = new Utf8Strings())
            {
                IntPtr n = strings.Add(name, "name");
                var v = new KitNative.Value
                {
                    Type = (int)value.Type, IntValue = value.Int, FloatValue = value.Float,
                    BoolValue = value.Bool ? (byte)1 : (byte)0,
                };
                if (value.Type == OptionType.Enum) v.StringValue = strings.Add(value.String, "value");
                return (KitStatus)call(n, ref v);
            }
        }

        private static KitValue FromNative(KitNative.Value v)
        {
            return new KitValue
            {
                Type = (OptionType)v.Type, Int = v.IntValue, Float = v.FloatValue, Bool = v.BoolValue != 0,
                String = v.Type == (int)OptionType.Enum ? Utf8.FromNative(v.StringValue) : null,
            };
        }

        private static KitOption FromNative(KitNative.OptionInfo o)
        {
            return new KitOption
            {
                Name = Utf8.FromNative(o.Name), Type = (OptionType)o.Type, Category = Utf8.FromNative(o.Category),
                LabelKey = Utf8.FromNative(o.LabelKey), DescriptionKey = Utf8.FromNative(o.DescriptionKey),
                Flags = o.Flags, Default = FromNative(o.Default), Current = FromNative(o.Current),
                Saved = (o.Flags & 16) != 0 ? FromNative(o.Saved) : (KitValue?)null,
                MinValue = FromNative(o.MinValue), MaxValue = FromNative(o.MaxValue), NumSteps = o.NumSteps,
                Allowed = Utf8.FromNativeArray(o.AllowedValues, o.AllowedCount), SchemaIndex = o.SchemaIndex,
                Pending = (o.Flags & 128) != 0 ? FromNative(o.Pending) : (KitValue?)null, Player = FromNative(o.Player),
            };
        }

        private static KitChangedEventArgs FromNative(KitNative.Event e)
        {
            var kind = (KitEventKind)e.Kind;
            return new KitChangedEventArgs
            {
                Kind = kind, Cause = (KitEventKind)e.Cause, Name = Utf8.FromNative(e.Name) ?? "",
                OldValue = kind == KitEventKind.Value ? FromNative(e.OldValue) : (KitValue?)null,
                NewValue = kind == KitEventKind.Value ? FromNative(e.NewValue) : (KitValue?)null,
                OldMode = e.OldMode, NewMode = e.NewMode, FromVersion = e.FromVersion, ToVersion = e.ToVersion,
                Provisional = e.Provisional != 0, Expired = e.Expired != 0,
            };
        }

        private static KitEntry Entry(IntPtr entry)
        {
            var e = (KitNative.NamedEntry)Marshal.PtrToStructure(entry, typeof(KitNative.NamedEntry));
            return new KitEntry { Name = Utf8.FromNative(e.Name), LabelKey = Utf8.FromNative(e.LabelKey) };
        }
    }

    /// <summary>UTF-8 out of native memory and byte buffers.</summary>
    internal static class Utf8
    {
        /// <summary>The string at p, up to its terminator; null for a null pointer.</summary>
        public static string FromNative(IntPtr p)
        {
            if (p == IntPtr.Zero) return null;
            int n = 0;
            while (Marshal.ReadByte(p, n) != 0) ++n;
            var bytes = new byte[n];
            Marshal.Copy(p, bytes, 0, n);
            return Encoding.UTF8.GetString(bytes);
        }

        /// <summary>The strings of a C array of count pointers.</summary>
        public static string[] FromNativeArray(IntPtr array, uint count)
        {
            var texts = new string[count];
            for (int i = 0; i < texts.Length; ++i) texts[i] = FromNative(Marshal.ReadIntPtr(array, i * IntPtr.Size));
            return texts;
        }

        public static string FromBytes(byte[] buffer)
        {
            int n = Array.IndexOf(buffer, (byte)0);
            return Encoding.UTF8.GetString(buffer, 0, n < 0 ? buffer.Length : n);
        }
    }

    /// <summary>Zero-terminated UTF-8 copies of the strings of one call, with
    /// the arrays and blocks of NativeBlocks.</summary>
    internal sealed class Utf8Strings : NativeBlocks
    {
        public IntPtr Add(string text, string what)
        {
            int length;
            return Add(text, what, out length);
        }

        /// <summary>length gets the string's size in bytes.</summary>
        public IntPtr Add(string text, string what, out int length)
        {
            CheckText(text, what);
            byte[] bytes = new UTF8Encoding(false, true).GetBytes(text); // a lone surrogate throws
            length = bytes.Length;
            IntPtr p = Allocate(bytes.Length + 1);
            Marshal.Copy(bytes, 0, p, bytes.Length);
            Marshal.WriteByte(p, bytes.Length, 0);
            return p;
        }
    }

    /// <summary>Unity's IL2CPP calls back only into static methods marked with
    /// an attribute of this name; Mono and .NET ignore it.</summary>
    [AttributeUsage(AttributeTargets.Method)]
    internal sealed class MonoPInvokeCallbackAttribute : Attribute
    {
        public MonoPInvokeCallbackAttribute(Type type) { Type = type; }
        public Type Type { get; }
    }

    /// <summary>The C records and functions of qorva_zel_kit.h; strings are
    /// IntPtr to UTF-8, sizes UIntPtr (size_t).</summary>
    internal static class KitNative
    {
        /// <summary>qorva_zel_kit.dll on Windows; libqorva_zel_kit.so elsewhere.</summary>
        public const string Library = "qorva_zel_kit";

        [StructLayout(LayoutKind.Sequential)]
        public struct Value
        {
            public int Type;
            public int IntValue;
            public float FloatValue;
            public byte BoolValue;
            public IntPtr StringValue;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct OpenInfo
        {
            public uint StructSize;
            public IntPtr SchemaPath;
            public IntPtr SchemaText;
            public UIntPtr SchemaTextLength;
            public IntPtr DisplayName;
            public IntPtr VersionName;
            public IntPtr InstallPath;
            public IntPtr ConfigPath;
            public IntPtr Executable;
            public IntPtr ExecCmd;
            public IntPtr Tags;
            public uint TagCount;
            public IntPtr Facts;
            public uint FactCount;
            public IntPtr Resolutions;
            public uint ResolutionCount;
            public uint Flags;
            // Second version of the record.
            public IntPtr Modes;
            public uint ModeCount;
            public IntPtr DisplayId;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct OpenResult
        {
            public int LoadStatus;
            public byte FirstRun;
            public IntPtr Preset;
            public int TierIndex;
            public IntPtr TierName;
            public uint SchemaVersion;
            public uint FileVersion;
            public byte Migrated;
            public int MigrationStatus;
            public IntPtr BackupPath;
            public byte NewerFile;
            public uint FindingCount;
            public IntPtr SettingsPath;
            public byte DisplayChanged;
            public IntPtr SavedDisplayId;
            public byte ModeListed;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct OptionInfo
        {
            public IntPtr Name;
            public int Type;
            public IntPtr Category;
            public IntPtr LabelKey;
            public IntPtr DescriptionKey;
            public uint Flags;
            public Value Default;
            public Value Current;
            public Value Saved;
            public Value MinValue;
            public Value MaxValue;
            public int NumSteps;
            public IntPtr AllowedValues;
            public uint AllowedCount;
            public uint SchemaIndex;
            public Value Pending;
            public Value Player;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct NamedEntry
        {
            public IntPtr Name;
            public IntPtr LabelKey;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct Finding
        {
            public int Kind;
            public IntPtr KindName;
            public IntPtr Option;
            public IntPtr Text;
            public IntPtr Message;
            public uint Line;
            public uint Column;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct ModeInfo
        {
            public DisplayMode Current;
            public DisplayMode Player;
            public DisplayMode Pending;
            public uint Flags;
            public IntPtr Modes;
            public uint ModeCount;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct Event
        {
            public int Kind;
            public int Cause;
            public IntPtr Name;
            public Value OldValue;
            public Value NewValue;
            public DisplayMode OldMode;
            public DisplayMode NewMode;
            public uint FromVersion;
            public uint ToVersion;
            public byte Provisional;
            public byte Expired;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct Refusal
        {
            public IntPtr Option;
            public int Status;
        }

        /// <summary>Deadline's offset is the C compiler's: 28 on 32-bit x86 outside
        /// Windows (a uint64_t aligned to 4 there), 32 on the other 32-bit ABIs,
        /// 48 on 64-bit; the runtime's marshaller lays it out the same way.</summary>
        [StructLayout(LayoutKind.Sequential)]
        public struct ApplyResult
        {
            public IntPtr Refusals;
            public uint RefusalCount;
            public IntPtr Changed;
            public uint ChangedCount;
            public IntPtr RestartRequired;
            public uint RestartCount;
            public byte ModeChanged;
            public byte Provisional;
            public ulong Deadline;
        }

        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate void EventCallback(IntPtr e, IntPtr user);

        [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
        public delegate ulong ClockFunction(IntPtr user);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_StatusText(int status);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern byte QORVA_ZEL_KIT_ModesMatch(ref DisplayMode a, ref DisplayMode b);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_GetMode(ref ModeInfo info);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetMode(ref DisplayMode mode);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ClosestMode(ref DisplayMode wanted, out DisplayMode closest);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Subscribe(EventCallback callback, IntPtr user, out ulong token);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Unsubscribe(ulong token);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetPending(IntPtr name, ref Value value);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetPendingMode(ref DisplayMode mode);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_RevertPending();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Apply(uint confirmWithinMs, out IntPtr result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern void QORVA_ZEL_KIT_ReleaseApplyResult(IntPtr result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Confirm();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_RevertProvisional();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Poll(out byte provisional, out ulong remainingMs);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetClock(ClockFunction clock, IntPtr user);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetOverride(IntPtr name, ref Value value);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetModeOverride(ref DisplayMode mode);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ClearOverrides();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ApplyCommandLine(int argc, IntPtr argv, [Out] byte[] message,
                                                                UIntPtr messageSize);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Open(ref OpenInfo info, out IntPtr result, [Out] byte[] message,
                                                    UIntPtr messageSize);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern void QORVA_ZEL_KIT_ReleaseOpenResult(IntPtr result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Close();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Load();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_Save();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_GetValue(IntPtr name, ref Value value, [Out] byte[] buffer,
                                                        UIntPtr size, out UIntPtr length);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_SetValue(IntPtr name, ref Value value);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ApplyPreset(IntPtr name);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_CurrentPreset([Out] byte[] buffer, UIntPtr size, out UIntPtr length);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ResetOption(IntPtr name);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ResetCategory(IntPtr category);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ResetAll();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_HoldsDefault(IntPtr name, out byte holdsDefault);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_ListOptions(uint order, IntPtr category, uint flags, out IntPtr listing);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern uint QORVA_ZEL_KIT_ListingCount(IntPtr listing);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_ListingOption(IntPtr listing, uint index);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern uint QORVA_ZEL_KIT_ListingCategoryCount(IntPtr listing);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_ListingCategory(IntPtr listing, uint index);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern uint QORVA_ZEL_KIT_ListingPresetCount(IntPtr listing);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_ListingPreset(IntPtr listing, uint index);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_ListingCurrentPreset(IntPtr listing);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern void QORVA_ZEL_KIT_ReleaseListing(IntPtr listing);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_GetLoadReport(out IntPtr report);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern uint QORVA_ZEL_KIT_ReportCount(IntPtr report);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_ReportFinding(IntPtr report, uint index);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_ReportFile(IntPtr report);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern void QORVA_ZEL_KIT_ReleaseReport(IntPtr report);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_KIT_LocalSettingsFolder(IntPtr gameFolder, uint flags, [Out] byte[] buffer,
                                                                   UIntPtr size, out UIntPtr length);
    }
}
