#pragma once
// Shared set-up of the dialog model tests: a host language published for this process, fresh module
// state, and a listener that records what a view would be told.

#include <unistd.h>

#include <vector>

#include "automation/PendingError.h"
#include "dialogs/common/Control.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"

namespace orva::testing {

// Publishes "Language" for this process for the scope, with fresh text services before and after.
class HostLanguage {
public:
    explicit HostLanguage(const automation::Text& language) {
        Reset();
        components::PublishOwnProperty(u"Language", language);
    }
    ~HostLanguage() { Reset(); }
    HostLanguage(const HostLanguage&) = delete;
    HostLanguage& operator=(const HostLanguage&) = delete;

private:
    static void Reset() {
        components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
        hostctx::ResetModuleState();
        automation::ClearPending();
    }
};

// Records every notification as (control name, aspects).
class RecordingListener : public dialogs::ChangeListener {
public:
    std::vector<std::pair<automation::Text, dialogs::Changes>> heard;
    void ControlChanged(dialogs::Control& control, dialogs::Changes changes) override {
        heard.emplace_back(control.Name(), changes);
    }
};

// Bills of Inventory Management (business subsystem 13, which has no types of its own to publish)
// whose actions stand in each place of the bill form (FEnvironment bits 1, 2, 4, 32), of the bill
// list (64, 128, 256, 512), in both, in all (-1) and in neither (8 + 16, 1024), "mnuFileNew" among
// them. Both dialogs offer the same functions for them.
inline constexpr int32_t kPlacedBillsSubsystem = 13;
inline constexpr const char* kPlacedBillsSql =
    "INSERT INTO t_ClassType (FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID) VALUES "
    "(200000101, '调拨单', '調撥單', 'Transfer', 4, 13), (200000102, '盘点单', '盤點單', 'Stocktake', 4, "
    "13), "
    "(200000103, '领料单', '領料單', 'Requisition', 4, 13), (200000104, '报废单', '報廢單', 'Scrap', 4, 13), "
    "(200000105, '借出单', '借出單', 'Loan', 4, 13);"
    "INSERT INTO t_BillAction (FClassTypeID, FKey, FOrder, FName_CHS, FName_CHT, FName_EN, FEnvironment) "
    "VALUES "
    "(200000101, 'mnuFileNew', 1, '新增', '新增', 'New', 65), "
    "(200000101, 'mnuEditCheck', 2, '审核', '審核', 'Approve', 65), "
    "(200000101, 'mnuFilePrint', 3, '打印', '列印', 'Print', 32), "
    "(200000101, 'mnuViewList', 4, '序时簿', '序時簿', 'List', 512), "
    "(200000101, 'mnuEditVoid', 5, '作废', '作廢', 'Void', 24), "
    "(200000101, 'mnuFileArchive', 6, '归档', '歸檔', 'Archive', 1024), "
    "(200000101, 'mnuEditCopy', 7, '复制', '複製', 'Copy', -1), "
    "(200000102, 'mnuFileNew', 1, '新增', '新增', 'New', -1), "
    "(200000102, 'mnuViewList', 2, '序时簿', '序時簿', 'List', 999), "
    "(200000103, 'mnuFileNew', 1, '新增', '新增', 'New', 512), "
    "(200000104, 'mnuFileNew', 1, '新增', '新增', 'New', 24), "
    "(200000104, 'mnuViewList', 2, '序时簿', '序時簿', 'List', 128), "
    "(200000105, 'mnuFileNew', 1, '新增', '新增', 'New', 4), "
    "(200000105, 'mnuEditCheck', 2, '审核', '審核', 'Approve', 2), "
    "(200000105, 'mnuViewList', 3, '序时簿', '序時簿', 'List', 256)";
// The functions of those bills on a CHS login, as "display|parameter": "mnuFileNew" goes to the bill
// form when it may, every other action to the list when it may.
inline const std::vector<automation::Text> kPlacedBillFunctions = {
    u"调拨单-新增|Bill|200000101",   u"调拨单-审核|List|200000101", u"调拨单-打印|Bill|200000101",
    u"调拨单-序时簿|List|200000101", u"调拨单-复制|List|200000101", u"盘点单-新增|Bill|200000102",
    u"盘点单-序时簿|List|200000102", u"领料单-新增|List|200000103", u"报废单-序时簿|List|200000104",
    u"借出单-新增|Bill|200000105",   u"借出单-审核|Bill|200000105", u"借出单-序时簿|List|200000105",
};

}  // namespace orva::testing
