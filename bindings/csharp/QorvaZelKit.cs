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
//       kit.Changed += (sender, e) => Console.WriteLine("changed: " + e.What);
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
using System;
using System.Collections;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using System.Text;

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

        public bool RestartRequired { get { return (Flags & 1) != 0; } }
        public bool Hidden { get { return (Flags & 2) != 0; } }
        public bool Available { get { return (Flags & 4) == 0; } }
        /// <summary>The current value differs from the default.</summary>
        public bool Changed { get { return (Flags & 8) != 0; } }
        /// <summary>The current value differs from the saved one (or none is saved).</summary>
        public bool Unsaved { get { return (Flags & 32) != 0; } }
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

    /// <summary>What changed the values: "set NAME", "preset NAME", "reset
    /// NAME", "reset category NAME", "reset all" or "load".</summary>
    public sealed class KitChangedEventArgs : EventArgs
    {
        public string What { get; }
        public KitChangedEventArgs(string what) { What = what; }
    }

    /// <summary>The open kit. The constructor opens it (one per process, as
    /// the library is one); Dispose closes it without saving. After Dispose
    /// every call but Dispose throws ObjectDisposedException.</summary>
    public sealed class SettingsKit : IDisposable
    {
        /// <summary>The name CurrentPreset gives when the values match no preset.</summary>
        public const string Custom = "Custom";

        private bool _open;

        /// <summary>Raised on the calling thread after a call changed values.</summary>
        public event EventHandler<KitChangedEventArgs> Changed;

        public KitOpenResult Opened { get; }

        public SettingsKit(KitOptions options)
        {
            if (options == null) throw new ArgumentNullException("options");
            if (options.SchemaPath == null && options.SchemaText == null)
                throw new ArgumentNullException("options", "give SchemaPath or SchemaText");
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
                Resolution[] modes = options.Resolutions.ToArray();
                info.Resolutions = strings.AddBlock(modes);
                info.ResolutionCount = (uint)modes.Length;

                IntPtr result;
                var message = new byte[1024];
                int s = KitNative.QORVA_ZEL_KIT_Open(ref info, out result, message, (UIntPtr)(uint)message.Length);
                if (s != 0) throw new KitException((KitStatus)s, "open the kit", Utf8.FromBytes(message));
                try
                {
                    var r = (KitNative.OpenResult)Marshal.PtrToStructure(result, typeof(KitNative.OpenResult));
                    Opened = new KitOpenResult
                    {
                        LoadStatus = (KitStatus)r.LoadStatus, FirstRun = r.FirstRun != 0,
                        Preset = Utf8.FromNative(r.Preset), TierIndex = r.TierIndex,
                        TierName = Utf8.FromNative(r.TierName), SchemaVersion = r.SchemaVersion,
                        FileVersion = r.FileVersion, Migrated = r.Migrated != 0,
                        MigrationStatus = (KitStatus)r.MigrationStatus, BackupPath = Utf8.FromNative(r.BackupPath),
                        NewerFile = r.NewerFile != 0, FindingCount = r.FindingCount,
                        SettingsPath = Utf8.FromNative(r.SettingsPath),
                    };
                }
                finally
                {
                    KitNative.QORVA_ZEL_KIT_ReleaseOpenResult(result);
                }
            }
            _open = true;
        }

        /// <summary>Closes the kit and releases the library, saving nothing; a second call does nothing.</summary>
        public void Dispose()
        {
            if (!_open) return;
            _open = false;
            KitNative.QORVA_ZEL_KIT_Close();
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
            Raise("load");
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
            Raise("reset all");
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

        // ---- Inside -------------------------------------------------------

        private delegate int TextCall(byte[] buffer, UIntPtr size, out UIntPtr length);

        private void ThrowIfDisposed()
        {
            if (!_open) throw new ObjectDisposedException(typeof(SettingsKit).FullName);
        }

        private void Raise(string what)
        {
            EventHandler<KitChangedEventArgs> handler = Changed;
            if (handler != null) handler(this, new KitChangedEventArgs(what));
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
            Raise(what);
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

        private KitStatus Set(string name, KitValue value)
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
                var s = (KitStatus)KitNative.QORVA_ZEL_KIT_SetValue(n, ref v);
                if (s == KitStatus.Ok) Raise("set " + name);
                return s;
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
            var allowed = new string[o.AllowedCount];
            for (int i = 0; i < allowed.Length; ++i)
                allowed[i] = Utf8.FromNative(Marshal.ReadIntPtr(o.AllowedValues, i * IntPtr.Size));
            return new KitOption
            {
                Name = Utf8.FromNative(o.Name), Type = (OptionType)o.Type, Category = Utf8.FromNative(o.Category),
                LabelKey = Utf8.FromNative(o.LabelKey), DescriptionKey = Utf8.FromNative(o.DescriptionKey),
                Flags = o.Flags, Default = FromNative(o.Default), Current = FromNative(o.Current),
                Saved = (o.Flags & 16) != 0 ? FromNative(o.Saved) : (KitValue?)null,
                MinValue = FromNative(o.MinValue), MaxValue = FromNative(o.MaxValue), NumSteps = o.NumSteps,
                Allowed = allowed, SchemaIndex = o.SchemaIndex,
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

        public static string FromBytes(byte[] buffer)
        {
            int n = Array.IndexOf(buffer, (byte)0);
            return Encoding.UTF8.GetString(buffer, 0, n < 0 ? buffer.Length : n);
        }
    }

    /// <summary>Native memory for the strings of one call: zero-terminated
    /// UTF-8 copies, arrays of pointers and blocks, all freed by Dispose.</summary>
    internal sealed class Utf8Strings : IDisposable
    {
        private readonly List<IntPtr> _blocks = new List<IntPtr>();

        public IntPtr Add(string text, string what)
        {
            int length;
            return Add(text, what, out length);
        }

        /// <summary>A string with an embedded NUL is refused: the kit would
        /// read it only up to the NUL. length gets its size in bytes.</summary>
        public IntPtr Add(string text, string what, out int length)
        {
            if (text == null) throw new ArgumentNullException(what);
            if (text.IndexOf('\0') >= 0) throw new ArgumentException("contains a NUL character", what);
            byte[] bytes = new UTF8Encoding(false, true).GetBytes(text); // a lone surrogate throws
            length = bytes.Length;
            IntPtr p = Marshal.AllocHGlobal(bytes.Length + 1);
            _blocks.Add(p);
            Marshal.Copy(bytes, 0, p, bytes.Length);
            Marshal.WriteByte(p, bytes.Length, 0);
            return p;
        }

        public IntPtr AddPointers(List<IntPtr> pointers)
        {
            IntPtr array = Marshal.AllocHGlobal(IntPtr.Size * Math.Max(pointers.Count, 1));
            _blocks.Add(array);
            for (int i = 0; i < pointers.Count; ++i) Marshal.WriteIntPtr(array, i * IntPtr.Size, pointers[i]);
            return array;
        }

        public IntPtr AddBlock(Resolution[] modes)
        {
            int size = Marshal.SizeOf(typeof(Resolution));
            IntPtr block = Marshal.AllocHGlobal(size * Math.Max(modes.Length, 1));
            _blocks.Add(block);
            for (int i = 0; i < modes.Length; ++i) Marshal.StructureToPtr(modes[i], block + i * size, false);
            return block;
        }

        public void Dispose()
        {
            foreach (IntPtr p in _blocks) Marshal.FreeHGlobal(p);
            _blocks.Clear();
        }
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

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern IntPtr QORVA_ZEL_KIT_StatusText(int status);

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
