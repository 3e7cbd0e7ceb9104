#pragma once

// Whether a control draws a one-pixel frame around itself. The ordinal values are the ones
// stored in window declarations.
enum TBorderStyle
{
    bsNone,
    bsSingle
};
