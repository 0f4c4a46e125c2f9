#pragma once
// Program IDs and member names of the console catalogue's data services, as the library calls them.

namespace orva::core {

inline constexpr const char16_t* kCatalogReaderProgId = u"OrvaData.CatalogReader";
inline constexpr const char16_t* kCatalogWriterProgId = u"OrvaData.CatalogWriter";

// Levels of GetNextIndex.
inline constexpr short kLevelTopClass = 1;
inline constexpr short kLevelSubSystem = 2;
inline constexpr short kLevelSubFunc = 3;
inline constexpr short kLevelDetailFunc = 4;

}  // namespace orva::core
