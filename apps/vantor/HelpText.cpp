#include "HelpText.h"

#include <string>

#ifndef VANTOR_VERSION
#define VANTOR_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kMaster = R"(Usage: vantor master [OPTION]... IN OUT
  or:  vantor master -d OUTDIR [OPTION]... IN...
  or:  vantor master --manifest FILE [--manifest-part K/N] [OPTION]...
  or:  vantor master --analyze [OPTION]... IN...
Master audio files (WAV, AIFF, FLAC, Ogg; mono or stereo) with the Vantor
chain. The output keeps the input's sample rate, channels, length, sample
format and metadata, and lines up with the input sample for sample. A dash
for IN or OUT means standard input or output (all messages then go to
standard error); named pipes and process substitution work as inputs. The
output is published only once it was written whole and reads back whole;
an interrupted or failed run leaves no partial file and never touches an
existing output.

  -d, --output-dir=DIR  write each IN to DIR under its own name (DIR is made
                        when missing)
      --format=FORMAT   with -d: write wav, flac, ogg or aiff
      --suffix=TEXT     with -d: add TEXT to each name before its extension
      --skip-existing   keep outputs that are already there (a run that
                        stopped goes on where it was); outputs that are not
                        audio are mastered again
      --manifest=FILE   a CSV file with a header row: input, output and
                        optionally preset and set (NAME=VALUE items separated
                        by ';'); one job per row, relative paths from the
                        file's folder; bad rows are reported by line number
                        and skipped
      --manifest-part=K/N  only rows K, K+N, K+2N, ... (for job runners)
      --mode=MODE       chain (default), eq, compressor, limiter or clipper
      --preset=PRESET   start from a preset: a name from 'vantor presets'
                        (Folder:Name) or a .ryxp file
      --set=NAME=VALUE  set a parameter, by full or short name in any case,
                        in engineering units or by value text, e.g.
                        --set "Limiter Input Drive=4.5" --set LCF=off;
                        may be repeated; values outside a parameter's range
                        are clamped with a warning
      --order=ORDER     chain order, e.g. eq,comp,lim,clip (chain mode)
      --bits=BITS       output sample format: 16, 24 or 32f (float)
      --target=LUFS     reach this integrated loudness (-60..0) by driving
                        the dynamics: the gain goes into the limiter's
                        input drive, then the compressor's, then the
                        clipper's gain (the equaliser's output when no
                        dynamics run), never after the limiter; a target
                        out of the drives' reach writes the closest and
                        ends with status 3; a silent input is left as it
                        is (status 3)
      --album           with --target: one drive for every file, found on
                        the files' loudness taken together, so the album
                        meets the target and keeps its balance
      --ceiling=DBTP    keep the written file's true peak at or under this
                        (-20..0; -1 with --target): a look-ahead limiter
                        after the chain that changes no sample where the
                        chain stays under it; checked on the file as
                        written (after dither, after encoding for Ogg)
      --dither=KIND     tpdf (default), shaped (noise moved up to where the
                        ear hears least) or none, for 8, 16 or 24 bits;
                        never where every sample fits the word length
                        (an unchanged 16-bit file stays bit-exact, digital
                        silence stays silent)
      --no-dither       the same as --dither=none
      --mono=HOW        dual (default): a mono file runs through the chain
                        as two identical channels, so a preset sounds as on
                        the same audio in stereo; native: the process's
                        one-channel path
      --quality=Q       Ogg Vorbis quality 0-10 (default 6), or FLAC
                        compression level 0-8
      --report=KIND     text (default) or json: loudness before and after
      --plot=FILE.png   draw the job over time into a 1200x700 PNG: short-
                        term loudness before and after (and the target),
                        the written file's true peak (and the ceiling), the
                        compressor's and limiter's gain reduction; with -d
                        (or --manifest) every output gets its own picture
                        beside it, named after it (out/song.png), and
                        FILE.png only asks for them; an existing picture is
                        replaced; one that cannot be written is an error
                        (status 2), the audio stays written
      --analyze         only measure the inputs; write nothing
  -j, --jobs=N          master N files at once (one process each)
  -f, --force           replace existing output files (without it, an
                        existing output refuses its file; the rest runs)
  -q, --quiet           print nothing but errors (and skip the measuring)
  -h, --help            show this help

The report gives integrated loudness (LUFS), loudness range (LU), true peak
(dBTP, read 16 times oversampled) and sample peak (dBFS) before and after,
the "after" figures measured on the file as written, and the deepest
compressor and limiter gain reduction (the lowest reading of the gain
meters' needles over the loudest passage); with
--target the drive chosen and with --ceiling what the ceiling took.

Exit status: 0 all well, 1 usage error, 2 failure, 3 finished with warnings
(an input read short, a loudness target not reached, a silent input with a
target).
)";

constexpr const char* kParams = R"(Usage: vantor params [--mode=MODE]
List the parameters of a mode (default: chain, all 47) with their names,
ranges, defaults and units, shown as the editor shows them.
)";

constexpr const char* kPresets = R"(Usage: vantor presets [--mode=MODE]
List the presets beside the library, then your own ($XDG_DATA_HOME/vantor/
presets, ~/.local/share/vantor/presets without it), marked (user), as
trees. Presets are named Folder:Name, found in any case; the folder may be
left out while only one folder holds the name. Only presets with settings
for the mode are listed.
)";

constexpr const char* kPresetSave = R"(Usage: vantor preset save NAME [OPTION]...
  or:  vantor preset save -o FILE [OPTION]...
Save a preset built from the defaults, --preset, --set and --order, into the
presets folder as NAME (Folder:Name makes subfolders) or to FILE. When the
library's presets folder cannot be written (an installed bundle), NAME goes
into your own presets folder, and the tool says so.

      --mode=MODE       the preset's mode (default chain)
      --preset=PRESET   start from another preset
      --set=NAME=VALUE  set a parameter (as for 'vantor master')
      --order=ORDER     chain order (chain mode)
  -o, --output=FILE     write to FILE instead of the presets folder
  -f, --force           replace an existing preset
  -q, --quiet           print nothing but errors
)";

constexpr const char* kPresetShow = R"(Usage: vantor preset show NAME|FILE
Print the settings a preset holds, one "Full Name=Value" line per parameter,
in the form --set reads, so each line can be passed back as --set NAME=VALUE
(the same values to the last step).
)";

} // namespace

const char* GetPresetShowHelp()
{
    return kPresetShow;
}

const char* GetMasterHelp()
{
    return kMaster;
}

const char* GetParamsHelp()
{
    return kParams;
}

const char* GetPresetsHelp()
{
    return kPresets;
}

const char* GetPresetSaveHelp()
{
    return kPresetSave;
}

const char* GetMainHelp()
{
    static const std::string sHelp = std::string(R"(Usage: vantor COMMAND [OPTION]... [FILE]...
Master audio files with the Vantor mastering chain (equaliser, compressor,
three-band limiter and output clipper), list its parameters and presets,
and save presets.

Commands:
  master        master or measure audio files
  params        list the parameters
  presets       list the presets
  preset save   save a preset
  preset show   print a preset's settings

  -h, --help     show this help ('vantor COMMAND --help' for one command)
  -V, --version  show the version

Exit status: 0 when everything worked, 1 for a usage error (bad option,
unknown parameter or preset, refused output path), 2 when reading,
processing or writing failed, 3 when it finished with warnings (an input
was damaged or cut short: what could be read was mastered; a loudness
target was out of reach or the input was silent). SIGINT, SIGTERM
and SIGHUP end a run with 128 + the signal's number.

Environment:
  VANTOR_LIBRARY  the Vantor.vpa to load instead of the one installed with
                  the tool (lib/vantor/ beside bin/)

)") + kMaster
        + "\n" + kParams + "\n" + kPresets + "\n" + kPresetSave + "\n" + kPresetShow +
        R"(
Examples:
  vantor master song.wav song-master.wav
  vantor master --preset "Mastering:Gentle Glue" --bits 16 mix.flac mix-16.flac
  vantor master -j 4 -d mastered/ album/*.wav
  vantor master --target -14 --ceiling -1 -d out/ *.wav
  vantor master --set "Limiter Input Drive=4.5" --report json in.wav out.wav
  vantor master --analyze song.wav
)";
    return sHelp.c_str();
}

const char* GetVersionText()
{
    return "vantor " VANTOR_VERSION "\n";
}
