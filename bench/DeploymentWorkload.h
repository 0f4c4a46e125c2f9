#pragma once
// The deployment benchmark's workload, shared by the engine runs (DeploymentBench.cpp) and the
// raw-SQLite floor (DeploymentFloor.h): the entries of a packet as plain UTF-8 text, and account
// files in the two sizes the engine is compared at.
//
// Packet shape: entries cycle over 5 top classes x 4 subsystems x 10 sub-functions (200 targets) that
// the demo account does not have, so the first entries of a packet create nodes and the rest find
// them; every function name is unique, so every entry creates one function detail.
// Grown catalogue: the demo account plus the same 5 top classes and 20 subsystems, each subsystem
// with 5 further sub-functions ("归档功能 1" .. "归档功能 5", 100 in all) that share the function
// details between them evenly. A packet aimed at the new branches then lands beside 100,000 nodes;
// one aimed at the populated sub-functions lands among their siblings.

#include <cstdint>
#include <string>
#include <vector>

namespace orva::bench {

struct WorkloadEntry {
    std::string topClass;
    std::string subSystem;
    std::string subFunc;
    std::string funcName;
    std::string classParam;
    std::string no;  // the line text a publish list shows for the entry
};

enum class WorkloadTarget {
    NewBranches,        // the 200 sub-functions the grown part leaves empty
    PopulatedSubFuncs,  // the 100 sub-functions of the grown part
};

// Number of sub-functions that hold the grown catalogue's function details.
inline constexpr int kPopulatedSubFuncs = 100;

// count entries (numbered from 0, unique names and class parameters) aimed at target.
std::vector<WorkloadEntry> MakeWorkload(int count, WorkloadTarget target);

// Where the grown part is written: one call per node, every parent before its children, with name
// keys computed as the catalogue writer does (the names are CJK and ASCII only, so ASCII
// upper-casing is exact). The Add calls give the new node's identifier.
class CatalogueSink {
public:
    virtual ~CatalogueSink() = default;
    // The sibling index after the largest top class's.
    virtual int64_t NextTopClassIndex() = 0;
    virtual int64_t AddTopClass(int64_t index, const std::string& name, const std::string& key) = 0;
    virtual int64_t AddSubSystem(int64_t topClassId, int64_t index, const std::string& name,
                                 const std::string& key) = 0;
    virtual int64_t AddSubFunc(int64_t subSysId, int64_t index, const std::string& name,
                               const std::string& key) = 0;
    virtual void AddDetail(int64_t subFuncId, int64_t index, const std::string& name, const std::string& key,
                           const std::string& classParam) = 0;
};

// Writes the grown part (see above) with details function details into sink. details must be a
// multiple of kPopulatedSubFuncs; aborts the program otherwise (a benchmark fixture).
void GrowCatalogue(CatalogueSink& sink, int details);

// The same into the account file path, straight through SQLite in one transaction. Aborts the
// program on any SQLite failure (a benchmark fixture, not a product path).
void GrowCatalogue(const std::string& path, int details);

struct CatalogueCounts {
    int64_t topClasses = 0;
    int64_t subSystems = 0;
    int64_t subFuncs = 0;
    int64_t details = 0;

    int64_t Nodes() const { return topClasses + subSystems + subFuncs + details; }
};

// The node counts of an account file (read only). Aborts on failure.
CatalogueCounts CountCatalogue(const std::string& path);

// Name key of the catalogue writer for CJK and ASCII names: ASCII letters upper-cased, then U+0020
// trimmed from both ends.
std::string AsciiNameKey(const std::string& name);

}  // namespace orva::bench
