// QorvaZel.cs - the Qorva Zel graphics-settings library for C#.
//
// One file to drop into a game project (Unity, Godot .NET, any Mono or .NET
// runtime): C# 7.3, .NET Standard 2.0 API only, no unsafe code. It calls the
// native library qorva_zel (qorva_zel.dll on Windows, libqorva_zel.so on
// Linux; see docs/guide.md for where to put it) with the Cdecl convention.
//
//   using (var settings = new QorvaZel.Settings(new QorvaZel.AppInfo {
//              DisplayName = "My Game", ConfigPath = configDir, Executable = "mygame" }))
//   {
//       settings.Add(QorvaZel.Option.Int("ShadowQuality", 2, 0, 4, 4),
//                    QorvaZel.Option.Enum("TextureFilter", "Trilinear", "Bilinear", "Trilinear"));
//       settings.Load();                                   // false on a first run
//       if (settings.TrySetInt("ShadowQuality", 7) != QorvaZel.Status.Ok) { /* refused */ }
//       settings.SetInt("ShadowQuality", 3);               // throws when refused
//       settings.Save();
//   }
//
// Failures are exceptions (QorvaZelException, carrying the Status), as C#
// code expects: a status that nobody looks at cannot be lost. What a
// settings menu meets in normal play is not an exception: Load returns false
// when there is no settings file yet, and the TrySet methods return the
// Status of a value the library refused.
//
// What the binding takes care of: strings are copied into zero-terminated
// UTF-16 native memory for each call and freed afterwards; the Enum string a
// get hands out is copied and given back with QORVA_ZEL_ReleaseVariant; the
// records are laid out as the C compiler lays them out on 32- and 64-bit
// (the value union is as wide as a pointer); a Bool is one byte. A string
// with a NUL character is refused (ArgumentException), and a disposed
// Settings throws ObjectDisposedException instead of reaching the library.
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;

namespace QorvaZel
{
    /// <summary>Every status the library returns.</summary>
    public enum Status
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
    }

    public static class StatusMessages
    {
        /// <summary>What the status means, in a sentence.</summary>
        public static string Message(this Status status)
        {
            switch (status)
            {
                case Status.Ok: return "success";
                case Status.FileError: return "the settings file cannot be read, parsed or written";
                case Status.FileNotFound: return "the settings file cannot be opened (none yet on a first run)";
                case Status.VersionMismatch: return "the interface version is not 2.3.18713301.0";
                case Status.NullArgument: return "a required pointer is null";
                case Status.OptionNotFound: return "no option has this name";
                case Status.AmbiguousOption: return "several options have this name; the one registered last answered";
                case Status.ValueNotOnStep: return "the value lies in the range but not on a step";
                case Status.ValueNotAllowed: return "the value is outside the range or not an allowed one";
                case Status.AlreadyRegistered: return "an option of this name and type is already registered";
                case Status.TypeMismatch: return "the option has another type";
                case Status.OptionsDirty: return "there are unsaved changes";
                case Status.NotInitialized: return "the library is not initialised";
                case Status.AlreadyInitialized: return "the library is already initialised";
                default: return "unknown Qorva Zel status";
            }
        }
    }

    /// <summary>A call the library refused; Status says why.</summary>
    public sealed class QorvaZelException : Exception
    {
        public Status Status { get; }

        public QorvaZelException(Status status, string what)
            : base(what + ": " + status.Message() + " (" + (int)status + ")")
        {
            Status = status;
        }
    }

    /// <summary>A display mode; refresh rates are compared exactly.</summary>
    [StructLayout(LayoutKind.Sequential)]
    public struct Resolution : IEquatable<Resolution>
    {
        public uint Width;
        public uint Height;
        public float RefreshRate;

        public Resolution(uint width, uint height, float refreshRate)
        {
            Width = width;
            Height = height;
            RefreshRate = refreshRate;
        }

        public bool Equals(Resolution other)
        {
            return Width == other.Width && Height == other.Height && RefreshRate.Equals(other.RefreshRate);
        }

        public override bool Equals(object obj) { return obj is Resolution && Equals((Resolution)obj); }
        public override int GetHashCode() { return (int)(Width * 31 + Height) ^ RefreshRate.GetHashCode(); }
        public override string ToString() { return Width + " x " + Height + " at " + RefreshRate + " Hz"; }
    }

    /// <summary>The game's descriptive strings. ConfigPath is the directory of
    /// the settings file, Executable the middle of its name.</summary>
    public sealed class AppInfo
    {
        public string DisplayName = "";
        public string VersionName = "";
        public string InstallPath = "";
        public string ConfigPath = "";
        public string Executable = "";
        public string ExecCmd = "";
    }

    /// <summary>An option to register: Option.Int, Option.Float, Option.Enum or Option.Bool.</summary>
    public sealed class Option
    {
        internal readonly string Name;
        internal readonly int Type;
        internal readonly Native.Value Default;
        internal readonly Native.Range Range;
        internal readonly string DefaultText;
        internal readonly string[] Allowed;

        private Option(string name, int type, Native.Value value, Native.Range range, string text, string[] allowed)
        {
            if (name == null) throw new ArgumentNullException("name");
            Name = name;
            Type = type;
            Default = value;
            Range = range;
            DefaultText = text;
            Allowed = allowed;
        }

        /// <summary>An Integer option. steps below 0: any value; 0: any value in
        /// [min, max]; 1 or more: also on one of steps equal steps from min.</summary>
        public static Option Int(string name, int defaultValue, int min, int max, int steps = 0)
        {
            var range = new Native.Range { NumSteps = steps };
            range.MinValue.Int = min;
            range.MaxValue.Int = max;
            var value = new Native.Value { Int = defaultValue };
            return new Option(name, Native.Integer, value, range, null, null);
        }

        /// <summary>A Float option, steps as for Int.</summary>
        public static Option Float(string name, float defaultValue, float min, float max, int steps = 0)
        {
            var range = new Native.Range { NumSteps = steps };
            range.MinValue.Float = min;
            range.MaxValue.Float = max;
            var value = new Native.Value { Float = defaultValue };
            return new Option(name, Native.Float, value, range, null, null);
        }

        /// <summary>An Enum option with its allowed strings, in the order written.</summary>
        public static Option Enum(string name, string defaultValue, params string[] allowed)
        {
            if (defaultValue == null) throw new ArgumentNullException("defaultValue");
            if (allowed == null) throw new ArgumentNullException("allowed");
            foreach (string s in allowed)
                if (s == null) throw new ArgumentNullException("allowed", "an allowed string is null");
            return new Option(name, Native.Enum, default(Native.Value), default(Native.Range), defaultValue,
                              (string[])allowed.Clone());
        }

        /// <summary>A Bool option.</summary>
        public static Option Bool(string name, bool defaultValue)
        {
            var value = new Native.Value { Bool = defaultValue ? (byte)1 : (byte)0 };
            return new Option(name, Native.Bool, value, default(Native.Range), null, null);
        }
    }

    /// <summary>The initialised library. The constructor initialises it with
    /// the interface version 2.3.18713301.0 (checked exactly); Dispose
    /// releases it. The library is process-wide: one Settings at a time.
    /// Not finalised: dispose it (a using block) so the release happens on
    /// a thread and at a time of the game's choosing. After Dispose every
    /// call but Dispose throws ObjectDisposedException: the library may by
    /// then belong to another Settings.</summary>
    public sealed class Settings : IDisposable
    {
        /// <summary>The interface version this file was written for.</summary>
        public static readonly Version InterfaceVersion = new Version(2, 3, 18713301, 0);

        private bool _open;

        public Settings(AppInfo app)
        {
            if (app == null) throw new ArgumentNullException("app");
            using (var strings = new NativeStrings())
            {
                var info = new Native.AppInfo
                {
                    DisplayName = strings.Add(app.DisplayName, "DisplayName"),
                    VersionName = strings.Add(app.VersionName, "VersionName"),
                    InstallPath = strings.Add(app.InstallPath, "InstallPath"),
                    ConfigPath = strings.Add(app.ConfigPath, "ConfigPath"),
                    Executable = strings.Add(app.Executable, "Executable"),
                    ExecCmd = strings.Add(app.ExecCmd, "ExecCmd"),
                };
                var version = new Native.Version
                {
                    Major = (uint)InterfaceVersion.Major,
                    Minor = (uint)InterfaceVersion.Minor,
                    Build = (uint)InterfaceVersion.Build,
                    Revision = (uint)InterfaceVersion.Revision,
                };
                Check(Native.QORVA_ZEL_InitializeSDK(ref info, ref version), "initialise");
            }
            _open = true;
        }

        /// <summary>The interface version of the native library that was loaded.</summary>
        public static Version LibraryVersion
        {
            get
            {
                Native.Version v = Native.QORVA_ZEL_GetVersion();
                return new Version((int)v.Major, (int)v.Minor, (int)v.Build, (int)v.Revision);
            }
        }

        /// <summary>Releases the library; a second call does nothing.</summary>
        public void Dispose()
        {
            if (!_open) return;
            _open = false;
            Native.QORVA_ZEL_ReleaseSDK();
        }

        // ---- Registration -------------------------------------------------

        /// <summary>Registers the options in order; throws at the first refusal.</summary>
        public void Add(params Option[] options)
        {
            if (options == null) throw new ArgumentNullException("options");
            foreach (Option o in options)
            {
                Status s = TryAdd(o);
                if (s != Status.Ok) throw new QorvaZelException(s, "register " + o.Name);
            }
        }

        /// <summary>Registers one option; AlreadyRegistered when one of the same
        /// name and type is there.</summary>
        public Status TryAdd(Option option)
        {
            ThrowIfDisposed();
            if (option == null) throw new ArgumentNullException("option");
            using (var strings = new NativeStrings())
            {
                var desc = new Native.OptionDesc
                {
                    Name = strings.Add(option.Name, "name"),
                    Type = option.Type,
                    Value = option.Default,
                };
                if (option.Type == Native.Enum)
                {
                    desc.Value.String = strings.Add(option.DefaultText, "defaultValue");
                    desc.Limits.EnumList.Values = strings.AddArray(option.Allowed);
                    desc.Limits.EnumList.NumValues = (uint)option.Allowed.Length;
                }
                else if (option.Type != Native.Bool)
                {
                    desc.Limits.Range = option.Range;
                }
                return (Status)Native.QORVA_ZEL_RegisterOption(ref desc);
            }
        }

        /// <summary>Replaces the list of display resolutions.</summary>
        public void SetResolutions(params Resolution[] modes)
        {
            ThrowIfDisposed();
            if (modes == null) throw new ArgumentNullException("modes");
            Check(Native.QORVA_ZEL_RegisterResolutions(modes, (uint)modes.Length), "register resolutions");
        }

        // ---- The settings file --------------------------------------------

        /// <summary>Reads the settings file. False when there is none yet (a
        /// first run): the defaults stay and no resolution is set.</summary>
        public bool Load()
        {
            ThrowIfDisposed();
            int s = Native.QORVA_ZEL_LoadConfigFile();
            if (s == (int)Status.FileNotFound) return false;
            Check(s, "load");
            return true;
        }

        /// <summary>Writes the settings file.</summary>
        public void Save(bool discardUnregistered = false)
        {
            ThrowIfDisposed();
            Check(Native.QORVA_ZEL_SaveConfigFile(discardUnregistered ? 1u : 0u), "save");
        }

        /// <summary>True when something differs from the last load or save.</summary>
        public bool HasUnsavedChanges
        {
            get
            {
                ThrowIfDisposed();
                int s = Native.QORVA_ZEL_CheckForDirtyOptions();
                if (s == (int)Status.OptionsDirty) return true;
                Check(s, "check for unsaved changes");
                return false;
            }
        }

        // ---- Values -------------------------------------------------------
        //
        // A get of an option whose type is not the one asked for throws with
        // TypeMismatch. Where options of several types share the name, the one
        // registered last answers; the TryGet methods then return
        // AmbiguousOption together with its value.

        public int GetInt(string name) { int v; Check(Ok(TryGetInt(name, out v)), "get " + name); return v; }
        public float GetFloat(string name) { float v; Check(Ok(TryGetFloat(name, out v)), "get " + name); return v; }
        public string GetEnum(string name) { string v; Check(Ok(TryGetEnum(name, out v)), "get " + name); return v; }
        public bool GetBool(string name) { bool v; Check(Ok(TryGetBool(name, out v)), "get " + name); return v; }

        public Status TryGetInt(string name, out int value)
        {
            Native.Variant v;
            Status s = Get(name, Native.Integer, out v);
            value = v.Value.Int;
            return s;
        }

        public Status TryGetFloat(string name, out float value)
        {
            Native.Variant v;
            Status s = Get(name, Native.Float, out v);
            value = v.Value.Float;
            return s;
        }

        public Status TryGetBool(string name, out bool value)
        {
            Native.Variant v;
            Status s = Get(name, Native.Bool, out v);
            value = v.Value.Bool != 0;
            return s;
        }

        public Status TryGetEnum(string name, out string value)
        {
            ThrowIfDisposed();
            value = null;
            using (var strings = new NativeStrings())
            {
                var v = new Native.Variant();
                int s = Native.QORVA_ZEL_GetOptionValue(ref v, strings.Add(name, "name"));
                try
                {
                    if (s != (int)Status.Ok && s != (int)Status.AmbiguousOption) return (Status)s;
                    if (v.Type != Native.Enum) return Status.TypeMismatch;
                    value = Marshal.PtrToStringUni(v.Value.String);
                    return (Status)s;
                }
                finally
                {
                    Native.QORVA_ZEL_ReleaseVariant(ref v);
                }
            }
        }

        public void SetInt(string name, int value) { Check(TrySetInt(name, value), "set " + name); }
        public void SetFloat(string name, float value) { Check(TrySetFloat(name, value), "set " + name); }
        public void SetEnum(string name, string value) { Check(TrySetEnum(name, value), "set " + name); }
        public void SetBool(string name, bool value) { Check(TrySetBool(name, value), "set " + name); }

        public Status TrySetInt(string name, int value)
        {
            var v = new Native.Variant { Type = Native.Integer };
            v.Value.Int = value;
            return Set(name, v, null);
        }

        public Status TrySetFloat(string name, float value)
        {
            var v = new Native.Variant { Type = Native.Float };
            v.Value.Float = value;
            return Set(name, v, null);
        }

        public Status TrySetEnum(string name, string value)
        {
            if (value == null) throw new ArgumentNullException("value");
            return Set(name, new Native.Variant { Type = Native.Enum }, value);
        }

        public Status TrySetBool(string name, bool value)
        {
            var v = new Native.Variant { Type = Native.Bool };
            v.Value.Bool = value ? (byte)1 : (byte)0;
            return Set(name, v, null);
        }

        // ---- Resolution ---------------------------------------------------

        /// <summary>The current resolution; 0 x 0 at 0 Hz until one is set or
        /// loaded. Setting one that is not in the registered list throws.</summary>
        public Resolution Resolution
        {
            get
            {
                ThrowIfDisposed();
                var mode = new Resolution();
                Check(Native.QORVA_ZEL_GetResolution(ref mode), "get resolution");
                return mode;
            }
            set { Check(TrySetResolution(value), "set resolution " + value); }
        }

        public Status TrySetResolution(Resolution mode)
        {
            ThrowIfDisposed();
            return (Status)Native.QORVA_ZEL_SetResolution(ref mode);
        }

        // ---- Inside -------------------------------------------------------

        private void ThrowIfDisposed()
        {
            if (!_open) throw new ObjectDisposedException(typeof(Settings).FullName);
        }

        private static Status Ok(Status s) { return s == Status.AmbiguousOption ? Status.Ok : s; }

        private static void Check(Status s, string what)
        {
            if (s != Status.Ok) throw new QorvaZelException(s, what);
        }

        private static void Check(int s, string what) { Check((Status)s, what); }

        private Status Get(string name, int type, out Native.Variant value)
        {
            ThrowIfDisposed();
            using (var strings = new NativeStrings())
            {
                value = new Native.Variant();
                int s = Native.QORVA_ZEL_GetOptionValue(ref value, strings.Add(name, "name"));
                Native.QORVA_ZEL_ReleaseVariant(ref value); // an Enum answered: give its string back
                if (s != (int)Status.Ok && s != (int)Status.AmbiguousOption)
                {
                    value = new Native.Variant();
                    return (Status)s;
                }
                if (value.Type != type)
                {
                    value = new Native.Variant();
                    return Status.TypeMismatch;
                }
                return (Status)s;
            }
        }

        private Status Set(string name, Native.Variant value, string text)
        {
            ThrowIfDisposed();
            using (var strings = new NativeStrings())
            {
                IntPtr n = strings.Add(name, "name");
                if (text != null) value.Value.String = strings.Add(text, "value");
                return (Status)Native.QORVA_ZEL_SetOptionValue(ref value, n);
            }
        }
    }

    /// <summary>Native memory for the arguments of one call, all freed by
    /// Dispose: the base of NativeStrings (the library's UTF-16) and of the
    /// settings kit's Utf8Strings.</summary>
    internal abstract class NativeBlocks : IDisposable
    {
        private readonly List<IntPtr> _blocks = new List<IntPtr>();

        /// <summary>A string with an embedded NUL is refused: C would read it
        /// only up to the NUL.</summary>
        protected static void CheckText(string text, string what)
        {
            if (text == null) throw new ArgumentNullException(what);
            if (text.IndexOf('\0') >= 0) throw new ArgumentException("contains a NUL character", what);
        }

        protected IntPtr Allocate(int bytes)
        {
            IntPtr p = Marshal.AllocHGlobal(Math.Max(bytes, 1));
            _blocks.Add(p);
            return p;
        }

        /// <summary>A C array of the pointers.</summary>
        public IntPtr AddPointers(IList<IntPtr> pointers)
        {
            IntPtr array = Allocate(IntPtr.Size * pointers.Count);
            for (int i = 0; i < pointers.Count; ++i) Marshal.WriteIntPtr(array, i * IntPtr.Size, pointers[i]);
            return array;
        }

        /// <summary>A C array of the records (sequential structs).</summary>
        public IntPtr AddBlock<T>(T[] records) where T : struct
        {
            int size = Marshal.SizeOf(typeof(T));
            IntPtr block = Allocate(size * records.Length);
            for (int i = 0; i < records.Length; ++i) Marshal.StructureToPtr(records[i], block + i * size, false);
            return block;
        }

        public void Dispose()
        {
            foreach (IntPtr p in _blocks) Marshal.FreeHGlobal(p);
            _blocks.Clear();
        }
    }

    /// <summary>Zero-terminated UTF-16 copies of the strings of one call and
    /// arrays of pointers to them.</summary>
    internal sealed class NativeStrings : NativeBlocks
    {
        public IntPtr Add(string text, string what)
        {
            CheckText(text, what);
            IntPtr p = Allocate((text.Length + 1) * 2);
            char[] units = text.ToCharArray(); // UTF-16 code units, surrogate pairs as they are
            Marshal.Copy(units, 0, p, units.Length);
            Marshal.WriteInt16(p, units.Length * 2, 0);
            return p;
        }

        public IntPtr AddArray(string[] texts)
        {
            var pointers = new List<IntPtr>();
            foreach (string text in texts) pointers.Add(Add(text, "allowed"));
            return AddPointers(pointers);
        }
    }

    /// <summary>The C records and functions of qorva_zel.h. Sequential
    /// layouts follow the C compiler's rules; the unions are explicit layouts
    /// of blittable fields only (a string field there makes Mono abort).</summary>
    internal static class Native
    {
        /// <summary>qorva_zel.dll on Windows; libqorva_zel.so elsewhere.</summary>
        public const string Library = "qorva_zel";

        public const int Integer = 0;
        public const int Float = 1;
        public const int Enum = 2;
        public const int Bool = 3;

        [StructLayout(LayoutKind.Sequential)]
        public struct Version
        {
            public uint Major;
            public uint Minor;
            public uint Build;
            public uint Revision;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct AppInfo
        {
            public IntPtr DisplayName;
            public IntPtr VersionName;
            public IntPtr InstallPath;
            public IntPtr ConfigPath;
            public IntPtr Executable;
            public IntPtr ExecCmd;
        }

        /// <summary>QORVA_ZEL_Value: as wide as a pointer.</summary>
        [StructLayout(LayoutKind.Explicit)]
        public struct Value
        {
            [FieldOffset(0)] public int Int;
            [FieldOffset(0)] public float Float;
            [FieldOffset(0)] public IntPtr String;
            [FieldOffset(0)] public byte Bool;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct Variant
        {
            public int Type;
            public Value Value;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct Range
        {
            public Value MinValue;
            public Value MaxValue;
            public int NumSteps;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct EnumList
        {
            public IntPtr Values;
            public uint NumValues;
        }

        [StructLayout(LayoutKind.Explicit)]
        public struct Limits
        {
            [FieldOffset(0)] public Range Range;
            [FieldOffset(0)] public EnumList EnumList;
        }

        [StructLayout(LayoutKind.Sequential)]
        public struct OptionDesc
        {
            public IntPtr Name;
            public int Type;
            public Value Value;
            public Limits Limits;
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_InitializeSDK(ref AppInfo appInfo, ref Version version);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_ReleaseSDK();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_LoadConfigFile();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_SaveConfigFile(uint discardUnregistered);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_RegisterOption(ref OptionDesc desc);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_RegisterResolutions([In] Resolution[] resolutions, uint count);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern void QORVA_ZEL_ReleaseVariant(ref Variant value);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_GetOptionValue(ref Variant value, IntPtr name);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_SetOptionValue(ref Variant value, IntPtr name);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_GetResolution(ref Resolution resolution);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_SetResolution(ref Resolution resolution);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern int QORVA_ZEL_CheckForDirtyOptions();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, ExactSpelling = true)]
        public static extern Version QORVA_ZEL_GetVersion();
    }
}
