#pragma once
// The console catalogue's four levels (top class, subsystem, sub-function, function detail) as every
// layer sees them, written down once: the account's tables and columns, the members and fields of the
// catalogue reader and writer, the fields of a deployment entry, and the name-key rule by which nodes
// are found by name. The reader and writer build their SQL from it, the account's migrations fill the
// name keys with it, the deployment engine, the catalog command and the dialogs' cascading lists walk
// the levels by it.
//
// A host may register its own reader or writer under the program IDs below; the library calls them by
// the member and field names given here, so these names are the data services' interface: none of
// them may change.
//
// Walking the tree, e.g. for the cascading lists top class -> subsystem -> sub-function:
//   for (const CatalogLevel& level : kCatalogLevels) {
//       ObjectRef records = level.parentIdField ? CallMethod(reader, level.listMember, {parentId})
//                                               : CallMethod(reader, level.listMember);
//       ... read level.idField and level.nameField of each record ...
//   }

#include <array>
#include <cstdint>
#include <iterator>
#include <span>

#include "automation/Text.h"

namespace orva::components {

// Program IDs of the catalogue's data services, and of the runtime host that opens a published
// function (the class name stored with subsystems, sub-functions and function details by default).
inline constexpr const char16_t* kCatalogReaderProgId = u"OrvaData.CatalogReader";
inline constexpr const char16_t* kCatalogWriterProgId = u"OrvaData.CatalogWriter";
inline constexpr const char16_t* kRuntimeHostProgId = u"OrvaHost.Application";

// The languages every node is named in, in the order used everywhere (columns, packet sets).
enum class CatalogLanguage { CHS, CHT, EN };
inline constexpr CatalogLanguage kCatalogLanguages[] = {CatalogLanguage::CHS, CatalogLanguage::CHT,
                                                        CatalogLanguage::EN};
// Their codes, indexed by CatalogLanguage: the value of a properties string's "Language" entry, the
// keys of a packet set and the suffixes of per-language fields.
inline constexpr const char16_t* kCatalogLanguageCodes[] = {u"CHS", u"CHT", u"EN"};

// A field or column in one language: stem + "_" + code ("FName_EN", "FNameKey_CHT").
automation::Text LanguageField(automation::TextView stem, CatalogLanguage language);

// Columns, and fields of the reader's records and the writer's data, that several levels share.
inline constexpr const char16_t* kNameKeyStem = u"FNameKey";   // per language: FNameKey_CHS, ...
inline constexpr const char16_t* kIndexField = u"FIndex";      // sibling index
inline constexpr const char16_t* kVisibleField = u"FVisible";  // 1 shown, 0 hidden
inline constexpr const char16_t* kClassNameField = u"FClassName";
inline constexpr const char16_t* kSubIdField = u"FSubID";
inline constexpr const char16_t* kClassParamField = u"FClassParam";
inline constexpr const char16_t* kHelpCodeField = u"FHelpCode";

// A text column of a level besides its identifiers, names, keys, index and visibility.
struct CatalogAttribute {
    const char16_t* field = nullptr;
    // What the writer stores when the create's data has no such field.
    const char16_t* createDefault = u"";
};

// One level of the catalogue. Fields that a level lacks are nullptr.
struct CatalogLevel {
    int32_t number = 0;              // 1 top class .. 4 function detail; the level argument of GetNextIndex
    const char16_t* kind = nullptr;  // "top class", ... as error messages name it

    // The account's table. The reader answers the identifier, the parent's identifier and the
    // attributes under their column names, the name in its language under nameField, and the names
    // in all three under LanguageField(nameField, ...), the columns they are stored in.
    const char16_t* table = nullptr;
    const char16_t* idField = nullptr;
    const char16_t* parentIdField = nullptr;  // the parent's identifier; none for top classes
    const char16_t* nameField = nullptr;
    std::array<CatalogAttribute, 3> attributes{};  // in the order the reader answers them
    // Besides the name key, the attribute in which two siblings must be equal to be the same node
    // (function details: one function name may launch several objects).
    const char16_t* identityField = nullptr;

    // The reader's member listing the children of a parent (top classes: no argument), and the
    // writer's member creating one node.
    const char16_t* listMember = nullptr;
    const char16_t* createMember = nullptr;
    // The field of the create's data naming the new node (in one language: LanguageField of it), and
    // the one taken when that is absent or blank.
    const char16_t* createNameField = nullptr;
    const char16_t* createNameFallback = nullptr;

    // The deployment entry's fields of this level: the identifier found or created, and the name.
    const char16_t* entryIdField = nullptr;
    const char16_t* entryNameField = nullptr;

    // The attributes this level has, in order.
    std::span<const CatalogAttribute> Attributes() const;
    // The level above (nothing for top classes) and below (nothing for function details).
    const CatalogLevel* Parent() const;
    const CatalogLevel* Child() const;
};

inline constexpr CatalogLevel kCatalogLevels[] = {
    {.number = 1,
     .kind = u"top class",
     .table = u"t_TopClass",
     .idField = u"FTopClassID",
     .nameField = u"FTopClassName",
     .listMember = u"GetTopClass_All",
     .createMember = u"CreateTopClass",
     .createNameField = u"FTopClassName",
     .entryIdField = u"FTopClassID",
     .entryNameField = u"FTopClassName"},
    {.number = 2,
     .kind = u"subsystem",
     .table = u"t_SubSystem",
     .idField = u"FSubSysID",
     .parentIdField = u"FTopClassID",
     .nameField = u"FName",
     .attributes = {{{.field = kClassNameField, .createDefault = kRuntimeHostProgId},
                     {.field = kSubIdField}}},
     .listMember = u"GetSubSystem_All",
     .createMember = u"CreateSubSys",
     .createNameField = u"FSysName",
     .entryIdField = u"FSubSystemID",
     .entryNameField = u"FSubSystemName"},
    {.number = 3,
     .kind = u"sub-function",
     .table = u"t_SubFunc",
     .idField = u"FSubFuncID",
     .parentIdField = u"FSubSysID",
     .nameField = u"FFuncName",
     .attributes = {{{.field = kClassNameField, .createDefault = kRuntimeHostProgId}}},
     .listMember = u"GetSubFunc_All",
     .createMember = u"CreateSubFunc",
     .createNameField = u"FFuncName",
     .entryIdField = u"FSubFuncID",
     .entryNameField = u"FSubFuncName"},
    {.number = 4,
     .kind = u"function detail",
     .table = u"t_DetailFunc",
     .idField = u"FDetailFuncID",
     .parentIdField = u"FSubFuncID",
     .nameField = u"FFuncName",
     .attributes = {{{.field = kClassNameField, .createDefault = kRuntimeHostProgId},
                     {.field = kClassParamField},
                     {.field = kHelpCodeField}}},
     .identityField = kClassParamField,
     .listMember = u"GetDetailFunc_All",
     .createMember = u"CreateDetailFunc",
     .createNameField = u"FFuncName",
     .createNameFallback = u"NewName",
     .entryNameField = u"FFuncName"},
};

inline constexpr const CatalogLevel& kTopClassLevel = kCatalogLevels[0];
inline constexpr const CatalogLevel& kSubSystemLevel = kCatalogLevels[1];
inline constexpr const CatalogLevel& kSubFuncLevel = kCatalogLevels[2];
inline constexpr const CatalogLevel& kDetailFuncLevel = kCatalogLevels[3];

// The level of a number (1 .. 4); nothing for another number.
const CatalogLevel* FindCatalogLevel(int32_t number);

// The name key of a catalogue name: Unicode simple upper-casing, then trimming of U+0020. Two names
// are the same node's name when their keys are equal; the key is stored per language beside each name.
automation::Text CatalogNameKey(automation::TextView name);

// Whether CatalogNameKey(name) == key. A name whose trimmed length differs from the key's is refused
// without being upper-cased (upper-casing keeps the length and never makes or removes a blank): a walk
// over many siblings fails on length alone for most of them.
bool HasCatalogNameKey(automation::TextView name, automation::TextView key);

}  // namespace orva::components
