// Maps a parameter value in its integer scale (as stored in a data unit) to a
// control position and back, and to and from a normalised position in 0..1.
// Positions are integers in a range of the caller's choice (the editor's
// knobs use 0..30000). No converter clamps: values outside the range
// extrapolate along the curve.
#pragma once

namespace adl {

// The order of the virtual operations is part of the binary contract.
class IConverter {
public:
    // Deletes the object as its most-derived class.
    virtual void Destroy() = 0;
    virtual int ValueToPosition(int value) = 0;
    virtual int PositionToValue(int position) = 0;
    virtual double ValueToNormalized(int value) = 0;
    virtual int NormalizedToValue(double normalized) = 0;
    virtual ~IConverter() = default;
};

} // namespace adl
