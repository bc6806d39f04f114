#pragma once
// The USDA soil texture classes that horizons are described with, numbered 1-23 from
// the coarsest to muck, each with its default available water capacity.

#include <QString>

struct TTextureClass {
  const char* Abbreviation;  // as held in a horizon's Texture value, e.g. "SICL"
  const char* Name;          // e.g. "silty clay loam"
  double DefaultAwc;         // inches of water per inch of soil (= cm per cm)
};

constexpr int TextureCount = 23;

// Class Index (1..TextureCount); throws std::out_of_range for any other index.
const TTextureClass& TextureClass(int Index);
