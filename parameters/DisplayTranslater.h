// Turns a parameter value in its integer scale into the text shown beside a
// knob: a fixed text for chosen values ("Off"), otherwise a number limited in
// characters and decimals followed by a unit picked from a list of steps
// (Hz up to 1000, KHz above).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace adl {

// {threshold, unit} pairs. Walking from the first entry, every threshold
// strictly below the real value becomes the divisor and the walk moves on;
// the entry where it stops, or else the last entry, gives the unit. Thresholds
// are in the real value's unit, e.g. {{1000.0f, "Hz"}, {0.0f, "KHz"}}.
using UnitStepList = std::vector<std::pair<float, std::string>>;

// The order of the virtual operations is part of the binary contract.
class IDisplayTranslater {
public:
    // Deletes the object as its most-derived class.
    virtual void Destroy() = 0;
    // Replaces text with the display text of value.
    virtual void Translate(std::string& text, int value) = 0;
    // No parsing of texts: 0 for every text.
    virtual int TextToValue(const std::string& text) = 0;
    // A fixed text for one value; the first text added for a value wins.
    virtual void AddValueText(int value, const std::string& text) = 0;

protected:
    ~IDisplayTranslater() = default;
};

class CDisplayTranslater : public virtual IDisplayTranslater {
public:
    // valueDecimals: decimals of the integer scale (value / 10^valueDecimals
    // is the real value). width: most characters of the number (sign, digits
    // and point; it limits decimals only, never the integer part).
    // shownDecimals: most decimals shown.
    CDisplayTranslater(int nValueDecimals, int nWidth, int nShownDecimals, const UnitStepList& steps);
    virtual ~CDisplayTranslater();

    void Destroy() override;
    void Translate(std::string& text, int value) override;
    int TextToValue(const std::string& text) override;
    void AddValueText(int value, const std::string& text) override;

private:
    void AppendNumber(std::string& text, double fReal) const;

    double step; // 10^-valueDecimals
    int width;
    int shownDecimals;
    std::vector<std::pair<int, std::string>> valueTexts; // in the order added
    UnitStepList unitSteps;
};

} // namespace adl
