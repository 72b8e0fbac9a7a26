#include "Report.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

std::string Number(const char* pszFormat, double f)
{
    // Silence: -inf, and so is a figure made from two of them (its PLR).
    if (!std::isfinite(f))
        return f > 0 ? "inf" : "-inf";
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), pszFormat, f);
    return buffer;
}

std::string JsonNumber(double f)
{
    return std::isfinite(f) ? Number("%.2f", f) : "null";
}

// The length of the UTF-8 sequence at p (n bytes left), 0 when it is not one.
size_t Utf8Length(const unsigned char* p, size_t n)
{
    const unsigned char c = p[0];
    size_t nLength = 0;
    uint32_t nCode = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        nLength = 2;
        nCode = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        nLength = 3;
        nCode = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        nLength = 4;
        nCode = c & 0x07;
    } else {
        return 0;
    }
    if (nLength > n)
        return 0;
    for (size_t i = 1; i < nLength; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        nCode = (nCode << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    const uint32_t nSmallest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    if (nCode < nSmallest[nLength] || (nCode >= 0xD800 && nCode <= 0xDFFF) || nCode > 0x10FFFF)
        return 0;
    return nLength;
}

// A JSON string of any bytes: UTF-8 passes, and each byte that is not part
// of valid UTF-8 (a file name can hold any) becomes \udcXX, the escape that
// Python's os.fsencode() turns back into the byte.
std::string JsonString(const std::string& s)
{
    std::string sOut = "\"";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = p[i];
        char buffer[8];
        if (c == '"' || c == '\\') {
            sOut += '\\';
            sOut += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
            sOut += buffer;
            ++i;
        } else if (c < 0x80) {
            sOut += static_cast<char>(c);
            ++i;
        } else if (const size_t nLength = Utf8Length(p + i, s.size() - i)) {
            sOut.append(s, i, nLength);
            i += nLength;
        } else {
            std::snprintf(buffer, sizeof(buffer), "\\udc%02x", c);
            sOut += buffer;
            ++i;
        }
    }
    return sOut + "\"";
}

std::string JsonList(const std::vector<std::string>& items)
{
    std::string sOut = "[";
    for (size_t n = 0; n < items.size(); ++n)
        sOut += (n == 0 ? "" : ", ") + JsonString(items[n]);
    return sOut + "]";
}

std::string Duration(long long nFrames, int nRate)
{
    if (nRate <= 0)
        return "?";
    const double fSeconds = static_cast<double>(nFrames) / nRate;
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%d:%04.1f", static_cast<int>(fSeconds / 60), std::fmod(fSeconds, 60.0));
    return buffer;
}

std::string Row(const char* pszName, const char* pszUnit, double fBefore, double fAfter, bool bAfter)
{
    char buffer[160];
    std::snprintf(buffer, sizeof(buffer), "  %-20s %7s %-5s", pszName, Number("%.1f", fBefore).c_str(), pszUnit);
    std::string sRow = buffer;
    if (bAfter) {
        std::snprintf(buffer, sizeof(buffer), " %7s %s", Number("%.1f", fAfter).c_str(), pszUnit);
        sRow += buffer;
    }
    return sRow + "\n";
}

std::string JsonLoudness(const SLoudness& loudness)
{
    return "{\"integrated_lufs\": " + JsonNumber(loudness.fIntegratedLufs) + ", \"loudness_range_lu\": "
        + JsonNumber(loudness.fRangeLu) + ", \"true_peak_dbtp\": " + JsonNumber(loudness.fTruePeakDb)
        + ", \"sample_peak_dbfs\": " + JsonNumber(loudness.fSamplePeakDb)
        + ", \"max_momentary_lufs\": " + JsonNumber(loudness.fMaxMomentaryLufs)
        + ", \"max_short_term_lufs\": " + JsonNumber(loudness.fMaxShortTermLufs)
        + ", \"plr_db\": " + JsonNumber(loudness.fTruePeakDb - loudness.fIntegratedLufs) + "}";
}

} // namespace

SBatchSummary CReport::Summarise(const std::vector<SJobResult>& results)
{
    SBatchSummary summary;
    summary.nFiles = results.size();
    for (const SJobResult& result : results) {
        if (result.bSkipped)
            ++summary.nSkipped;
        else if (!result.sError.empty())
            ++summary.nFailed;
        else
            ++summary.nDone;
        summary.nWithWarnings += !result.warnings.empty();
    }
    return summary;
}

std::string CReport::FormatSummary(const SBatchSummary& summary)
{
    std::string sText = std::to_string(summary.nFiles) + (summary.nFiles == 1 ? " file: " : " files: ")
        + std::to_string(summary.nDone) + " done";
    if (summary.nWithWarnings > 0)
        sText += " (" + std::to_string(summary.nWithWarnings) + " with warnings)";
    return sText + ", " + std::to_string(summary.nSkipped) + " skipped, " + std::to_string(summary.nFailed) + " failed";
}

std::string CReport::FormatText(const SJobResult& result)
{
    const bool bAfter = !result.sOutput.empty();
    if (result.bSkipped)
        return result.sInput + " -> " + result.sOutput + ": skipped (the output is already there)\n";
    std::string sText = (result.sInput == "-" ? std::string("(standard input)") : result.sInput);
    if (bAfter)
        sText += " -> " + (result.sOutput == "-" ? std::string("(standard output)") : result.sOutput);
    sText += " (" + std::to_string(result.nSampleRate) + " Hz, " + (result.nChannels == 1 ? "mono" : "stereo") + ", "
        + Duration(result.nFrames, result.nSampleRate) + ")\n";
    for (const std::string& sNote : result.notes)
        sText += "  note: " + sNote + "\n";
    if (!result.bMeasured)
        return sText;
    sText += bAfter ? "                          before         after\n" : "";
    sText += Row("Integrated loudness", "LUFS", result.before.fIntegratedLufs, result.after.fIntegratedLufs, bAfter);
    sText += Row("Loudness range", "LU", result.before.fRangeLu, result.after.fRangeLu, bAfter);
    sText += Row("True peak", "dBTP", result.before.fTruePeakDb, result.after.fTruePeakDb, bAfter);
    sText += Row("Sample peak", "dBFS", result.before.fSamplePeakDb, result.after.fSamplePeakDb, bAfter);
    sText += Row("Max momentary", "LUFS", result.before.fMaxMomentaryLufs, result.after.fMaxMomentaryLufs, bAfter);
    sText += Row("Max short-term", "LUFS", result.before.fMaxShortTermLufs, result.after.fMaxShortTermLufs, bAfter);
    // Peak to loudness ratio: true peak over integrated loudness.
    sText += Row("PLR", "dB", result.before.fTruePeakDb - result.before.fIntegratedLufs,
        result.after.fTruePeakDb - result.after.fIntegratedLufs, bAfter);
    const SDeliveryReport& delivery = result.delivery;
    if (bAfter && delivery.bTarget) {
        sText += std::string(delivery.bAlbum ? "  Album target " : "  Target ") + Number("%.1f", delivery.fTargetLufs)
            + " LUFS" + (delivery.bAlbum ? " (the album " + Number("%.1f", delivery.fAlbumLufs) + " LUFS)" : "") + ": "
            + (delivery.bReached ? std::string("reached") : std::string("not reached")) + ", drive "
            + Number("%+.1f", delivery.fDriveDb) + " dB (" + delivery.sDrive + "); the chain ran "
            + std::to_string(delivery.nChainRuns) + (delivery.nChainRuns == 1 ? " time" : " times")
            + (delivery.bAlbum ? " over the album" : " over the whole file")
            + (delivery.nExcerptRuns > 0 ? ", " + std::to_string(delivery.nExcerptRuns) + " over excerpts"
                                         : std::string())
            + "\n";
    }
    if (bAfter && delivery.bCeiling) {
        sText += "  Ceiling " + Number("%.1f", delivery.fCeilingDbtp) + " dBTP: "
            + (delivery.fCeilingReductionDb > 0.0
                    ? "peaks lowered by up to " + Number("%.1f", delivery.fCeilingReductionDb) + " dB"
                    : std::string("no sample changed"))
            + "\n";
    }
    const SGainReduction& reduction = result.gainReduction;
    if (bAfter && (reduction.bCompressor || reduction.bLimiter)) {
        sText += "  Deepest gain reduction:";
        if (reduction.bCompressor)
            sText += " compressor " + Number("%.1f", reduction.fCompressorDb) + " dB";
        if (reduction.bLimiter)
            sText += std::string(reduction.bCompressor ? "," : "") + " limiter " + Number("%.1f", reduction.fLimiterDb)
                + " dB";
        sText += " (loudest passage, " + Number("%.1f", reduction.fFromSeconds) + "-"
            + Number("%.1f", reduction.fToSeconds) + " s)\n";
    }
    return sText;
}

std::string CReport::FormatJson(const std::vector<SJobResult>& results)
{
    std::string sJson = "{\"files\": [";
    for (size_t i = 0; i < results.size(); ++i) {
        const SJobResult& result = results[i];
        sJson += i == 0 ? "\n  {" : ",\n  {";
        sJson += "\"input\": " + JsonString(result.sInput);
        sJson += ", \"output\": " + (result.sOutput.empty() ? std::string("null") : JsonString(result.sOutput));
        if (result.bSkipped) {
            sJson += ", \"skipped\": true}";
            continue;
        }
        if (!result.sError.empty()) {
            sJson += ", \"error\": " + JsonString(result.sError) + "}";
            continue;
        }
        sJson += ", \"sample_rate\": " + std::to_string(result.nSampleRate);
        sJson += ", \"channels\": " + std::to_string(result.nChannels);
        sJson += ", \"frames\": " + std::to_string(result.nFrames);
        if (result.bMeasured) {
            sJson += ", \"before\": " + JsonLoudness(result.before);
            if (!result.sOutput.empty()) {
                const SGainReduction& reduction = result.gainReduction;
                sJson += ", \"after\": " + JsonLoudness(result.after);
                sJson += ", \"gain_reduction_db\": {\"compressor\": "
                    + (reduction.bCompressor ? JsonNumber(reduction.fCompressorDb) : std::string("null"))
                    + ", \"limiter\": " + (reduction.bLimiter ? JsonNumber(reduction.fLimiterDb) : std::string("null"))
                    + ", \"passage_seconds\": [" + JsonNumber(reduction.fFromSeconds) + ", "
                    + JsonNumber(reduction.fToSeconds) + "]}";
                const SDeliveryReport& delivery = result.delivery;
                if (delivery.bTarget)
                    sJson += ", \"target\": {\"lufs\": " + JsonNumber(delivery.fTargetLufs) + ", \"reached\": "
                        + (delivery.bReached ? "true" : "false") + ", \"drive_db\": " + JsonNumber(delivery.fDriveDb)
                        + ", \"drive\": " + JsonString(delivery.sDrive)
                        + ", \"chain_passes\": " + std::to_string(delivery.nChainRuns)
                        + ", \"excerpt_passes\": " + std::to_string(delivery.nExcerptRuns)
                        + (delivery.bAlbum ? ", \"album\": true, \"album_lufs\": " + JsonNumber(delivery.fAlbumLufs)
                                           : std::string(", \"album\": false"))
                        + "}";
                if (delivery.bCeiling)
                    sJson += ", \"ceiling\": {\"dbtp\": " + JsonNumber(delivery.fCeilingDbtp)
                        + ", \"deepest_reduction_db\": " + JsonNumber(delivery.fCeilingReductionDb) + "}";
            }
        }
        sJson += ", \"notes\": " + JsonList(result.notes);
        sJson += ", \"warnings\": " + JsonList(result.warnings) + "}";
    }
    const SBatchSummary summary = Summarise(results);
    sJson += "\n], \"summary\": {\"files\": " + std::to_string(summary.nFiles) + ", \"done\": "
        + std::to_string(summary.nDone) + ", \"with_warnings\": " + std::to_string(summary.nWithWarnings)
        + ", \"skipped\": " + std::to_string(summary.nSkipped) + ", \"failed\": " + std::to_string(summary.nFailed);
    return sJson + "}}\n";
}
