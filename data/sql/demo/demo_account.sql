-- Demo account: a small but realistic suite in Simplified Chinese, Traditional Chinese (Taiwan usage)
-- and English, for trying the tools and for tests that want a populated account.
--
-- Apply it to a new account right after the schema, in one transaction, with foreign keys on:
--     sqlite3 -cmd 'PRAGMA foreign_keys = ON' account.db < demo/demo_account.sql
-- It inserts fixed ids and therefore fails on an account that already holds data.
--
-- What it holds
--   Console catalogue: five top classes (the user's own area "我的Orva", finance, supply chain,
--   manufacturing, administration), 16 subsystems, 34 sub-functions and 60 function details.
--   Id ranges: top classes 1-5, subsystems 101-503, sub-functions 1001-1151, details 10001-10321;
--   nodes created later continue after the highest id of their table.
--   Metadata: 12 business subsystems, 22 class types (base data, bills, one query object) with their
--   bill actions, and 17 reports of the three report kinds.
--
-- Cases it gives the dialogs and the deployment engine to work on
--   - "我的Orva" (CHT "我的Orva", EN "My Orva") is a top class the dialogs must leave out.
--   - Sibling order differs from id order (Accounts Payable has a lower id than Cash Management but
--     comes after it), so readers must order by FIndex.
--   - One subsystem (Data Exchange) and one sub-function (Shop Floor, legacy) are hidden.
--   - Several subsystems already have the sub-functions 基础资料 / 业务单据 / 业务报表 under the
--     names the translations give them, so the publish dialog proposes only the missing groups;
--     General Ledger and Purchasing use other names and get proposals.
--   - Class types below 200000000 are the suite's own; 200000001 and up are user-designed and the
--     only ones the publish dialog lists. Customer Credit Limit (200000004) is already published
--     under Sales > Base Data with the name a publish would give it, so publishing it again is
--     refused as already present.
--   - Sales (business subsystem 12) has base data, bills, a query object (FBillTypeID 2) and
--     reports of FType 1000, 1001 and 1002; Return Request (200000005) is a bill without actions.
--   - Bill actions cover both environment masks: "mnuFileNew" with 1, 2, 65 (form), 64 (list
--     only) and 0 (not offered); other actions with 64, 128, 256, 512, 960 (list), 4, 32, 33, 39
--     (form), 65 and 68 (both: list wins for actions other than "mnuFileNew") and 0.
--
-- FNameKey below is upper(trim(name, ' ')). That is only right because every Chinese name here is
-- CJK plus ASCII: SQLite's upper() folds ASCII letters only. Real writers compute the key with
-- Unicode upper-casing.

-- Refuse to run against any schema version but 1: the CHECK fails with a readable name.
CREATE TEMP TABLE demo_guard (
    v INTEGER CONSTRAINT demo_needs_schema_version_1 CHECK (v = 1)
);
INSERT INTO demo_guard SELECT user_version FROM pragma_user_version;
DROP TABLE demo_guard;

-- ---------------------------------------------------------------------------------------------
-- Console catalogue
-- ---------------------------------------------------------------------------------------------

WITH v (FTopClassID, FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN) AS (VALUES
    (1, 1, '我的Orva', '我的Orva', 'My Orva'),
    (2, 2, '财务会计', '財務會計', 'Financial Accounting'),
    (3, 3, '供应链',   '供應鏈',   'Supply Chain'),
    (4, 4, '生产制造', '生產製造', 'Manufacturing'),
    (5, 5, '系统设置', '系統設定', 'System Administration')
)
INSERT INTO t_TopClass (FTopClassID, FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN,
                        FNameKey, FVisible)
SELECT FTopClassID, FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN,
       upper(trim(FTopClassName_CHS, ' ')), 1
FROM v;

WITH v (FSubSysID, FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FSubID, FVisible) AS (VALUES
    (101, 1, 1, '常用功能',     '常用功能',     'Favorites',                      'orvahost', 1),
    (201, 2, 1, '总账',         '總帳',         'General Ledger',                 'gl',       1),
    (202, 2, 2, '应收款管理',   '應收帳款管理', 'Accounts Receivable',            'ar',       1),
    (203, 2, 4, '应付款管理',   '應付帳款管理', 'Accounts Payable',               'ap',       1),
    (204, 2, 5, '固定资产',     '固定資產',     'Fixed Assets',                   'fa',       1),
    (205, 2, 3, '现金管理',     '現金管理',     'Cash Management',                'cash',     1),
    (301, 3, 1, '采购管理',     '採購管理',     'Purchasing',                     'po',       1),
    (302, 3, 2, '销售管理',     '銷售管理',     'Sales',                          'so',       1),
    (303, 3, 3, '仓存管理',     '庫存管理',     'Inventory Management',           'ic',       1),
    (304, 3, 4, '存货核算',     '存貨核算',     'Inventory Costing',              'cost',     1),
    (401, 4, 1, '生产数据管理', '生產資料管理', 'Production Data',                'pdm',      1),
    (402, 4, 2, '物料需求计划', '物料需求規劃', 'Material Requirements Planning', 'mrp',      1),
    (403, 4, 3, '生产任务管理', '生產工單管理', 'Work Orders',                    'sfc',      1),
    (501, 5, 1, '用户管理',     '使用者管理',   'User Management',                'user',     1),
    (502, 5, 2, '系统参数',     '系統參數',     'System Parameters',              'param',    1),
    (503, 5, 3, '数据交换',     '資料交換',     'Data Exchange',                  'exchange', 0)
)
INSERT INTO t_SubSystem (FSubSysID, FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FNameKey,
                         FClassName, FSubID, FVisible)
SELECT FSubSysID, FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, upper(trim(FName_CHS, ' ')),
       'OrvaHost.Application', FSubID, FVisible
FROM v;

WITH v (FSubFuncID, FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FVisible) AS (VALUES
    (1001, 101, 1, '我的单据',     '我的單據',       'My Documents',          1),
    (1002, 101, 2, '我的报表',     '我的報表',       'My Reports',            1),
    (1011, 201, 1, '基础资料',     '基礎資料',       'Base Data',             1),
    (1012, 201, 2, '凭证处理',     '傳票處理',       'Vouchers',              1),
    (1013, 201, 3, '账簿',         '帳簿',           'Ledgers',               1),
    (1014, 201, 4, '财务报表',     '財務報表',       'Financial Statements',  1),
    (1015, 201, 5, '期末处理',     '期末處理',       'Period-End Closing',    1),
    (1021, 202, 1, '基础资料',     '基礎資料',       'Base Data',             1),
    (1022, 202, 2, '业务单据',     '業務單據',       'Business Documents',    1),
    (1023, 202, 3, '账龄分析',     '帳齡分析',       'Aging Analysis',        1),
    (1031, 203, 1, '业务单据',     '業務單據',       'Business Documents',    1),
    (1032, 203, 2, '业务报表',     '業務報表',       'Business Reports',      1),
    (1041, 204, 1, '卡片管理',     '卡片管理',       'Asset Cards',           1),
    (1042, 204, 2, '折旧管理',     '折舊管理',       'Depreciation',          1),
    (1051, 205, 1, '日记账',       '日記帳',         'Journals',              1),
    (1061, 301, 1, '基础资料',     '基礎資料',       'Base Data',             1),
    (1062, 301, 2, '采购订单',     '採購訂單',       'Purchase Orders',       1),
    (1063, 301, 3, '采购入库',     '採購入庫',       'Purchase Receipts',     1),
    (1064, 301, 4, '报表分析',     '報表分析',       'Reports and Analysis',  1),
    (1071, 302, 1, '基础资料',     '基礎資料',       'Base Data',             1),
    (1072, 302, 2, '业务单据',     '業務單據',       'Business Documents',    1),
    (1073, 302, 3, '业务报表',     '業務報表',       'Business Reports',      1),
    (1081, 303, 1, '基础资料',     '基礎資料',       'Base Data',             1),
    (1082, 303, 2, '入库业务',     '入庫作業',       'Receiving',             1),
    (1083, 303, 3, '出库业务',     '出庫作業',       'Issuing',               1),
    (1084, 303, 4, '库存查询',     '庫存查詢',       'Stock Inquiry',         1),
    (1091, 304, 1, '成本计算',     '成本計算',       'Cost Calculation',      1),
    (1101, 401, 1, '物料清单',     '物料清單',       'Bills of Materials',    1),
    (1111, 402, 1, 'MRP计算',      'MRP計算',        'MRP Run',               1),
    (1121, 403, 1, '生产任务单',   '生產工單',       'Work Order Processing', 1),
    (1122, 403, 2, '车间作业(旧版)', '現場作業(舊版)', 'Shop Floor (Legacy)',   0),
    (1131, 501, 1, '用户与权限',   '使用者與權限',   'Users and Permissions', 1),
    (1141, 502, 1, '参数设置',     '參數設定',       'Settings',              1),
    (1151, 503, 1, '数据导入',     '資料匯入',       'Data Import',           1)
)
INSERT INTO t_SubFunc (FSubFuncID, FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN,
                       FNameKey, FClassName, FVisible)
SELECT FSubFuncID, FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN,
       upper(trim(FFuncName_CHS, ' ')), 'OrvaHost.Application', FVisible
FROM v;

WITH v (FDetailFuncID, FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FClassParam,
        FHelpCode) AS (VALUES
    -- 我的Orva > 常用功能
    (10001, 1001, 1, '销售订单',           '銷售訂單',           'Sales Orders',                     'Bill|81',            'SO-0101'),
    (10002, 1001, 2, '采购订单',           '採購訂單',           'Purchase Orders',                  'Bill|71',            'PO-0101'),
    (10003, 1002, 1, '科目余额表',         '科目餘額表',         'Account Balances',                 'SQLRPT|5001',        'GL-0301'),
    -- 财务会计 > 总账
    (10011, 1011, 1, '会计科目',           '會計科目',           'Chart of Accounts',                'Base|1001',          'GL-0001'),
    (10012, 1011, 2, '币别',               '幣別',               'Currencies',                       'Base|1002',          'GL-0002'),
    (10021, 1012, 1, '凭证录入',           '傳票輸入',           'Voucher Entry',                    'Voucher|New',        'GL-0101'),
    (10022, 1012, 2, '凭证查询',           '傳票查詢',           'Voucher Inquiry',                  'Voucher|List',       'GL-0102'),
    (10031, 1013, 1, '总分类账',           '總分類帳',           'General Ledger',                   'SQLRPT|5002',        'GL-0201'),
    (10032, 1013, 2, '明细分类账',         '明細分類帳',         'Subsidiary Ledger',                'SQLRPT|5003',        'GL-0202'),
    (10041, 1014, 1, '科目余额表',         '科目餘額表',         'Account Balances',                 'SQLRPT|5001',        'GL-0301'),
    (10042, 1014, 2, '试算平衡表',         '試算表',             'Trial Balance',                    'CROSSRPT|5004',      'GL-0302'),
    (10051, 1015, 1, '期末结账',           '期末結帳',           'Period Closing',                   'GL|Close',           'GL-0401'),
    -- 财务会计 > 应收款管理
    (10061, 1021, 1, '客户',               '客戶',               'Customers',                        'Base|1003',          'AR-0001'),
    (10071, 1022, 1, '销售发票-新增',      '銷售發票-新增',      'Sales Invoice-New',                'Bill|83',            'AR-0101'),
    (10072, 1022, 2, '销售发票-序时簿',    '銷售發票-序時簿',    'Sales Invoice-List',               'List|83',            'AR-0102'),
    (10073, 1022, 3, '收款单',             '收款單',             'Customer Receipts',                'Bill|85',            'AR-0103'),
    (10081, 1023, 1, '应收账龄分析表',     '應收帳齡分析表',     'Receivables Aging',                'NEWCROSSRPT|5011',   'AR-0201'),
    -- 财务会计 > 应付款管理
    (10091, 1031, 1, '付款单',             '付款單',             'Vendor Payments',                  'Bill|86',            'AP-0101'),
    (10101, 1032, 1, '应付款汇总表',       '應付帳款彙總表',     'Payables Summary',                 'SQLRPT|5021',        'AP-0201'),
    -- 财务会计 > 固定资产, 现金管理
    (10111, 1041, 1, '固定资产卡片',       '固定資產卡片',       'Asset Cards',                      'FA|Card',            'FA-0101'),
    (10121, 1042, 1, '计提折旧',           '提列折舊',           'Run Depreciation',                 'FA|Depreciation',    'FA-0201'),
    (10131, 1051, 1, '现金日记账',         '現金日記帳',         'Cash Journal',                     'CASH|Journal',       'CA-0101'),
    (10132, 1051, 2, '银行存款日记账',     '銀行存款日記帳',     'Bank Journal',                     'CASH|BankJournal',   'CA-0102'),
    -- 供应链 > 采购管理
    (10141, 1061, 1, '供应商',             '供應商',             'Suppliers',                        'Base|1004',          'PO-0001'),
    (10151, 1062, 1, '采购订单-新增',      '採購訂單-新增',      'Purchase Order-New',               'Bill|71',            'PO-0101'),
    (10152, 1062, 2, '采购订单-序时簿',    '採購訂單-序時簿',    'Purchase Order-List',              'List|71',            'PO-0102'),
    (10161, 1063, 1, '采购入库单-新增',    '採購入庫單-新增',    'Purchase Receipt-New',             'Bill|72',            'PO-0201'),
    (10171, 1064, 1, '采购价格分析表',     '採購價格分析表',     'Purchase Price Analysis',          'CROSSRPT|5201',      'PO-0301'),
    (10172, 1064, 2, '供应商供货汇总表',   '供應商供貨彙總表',   'Supplier Delivery Summary',        'NEWCROSSRPT|5202',   'PO-0302'),
    (10173, 1064, 3, '采购订单执行明细表', '採購訂單執行明細表', 'Purchase Order Execution Details', 'SQLRPT|5203',        'PO-0303'),
    -- 供应链 > 销售管理
    (10181, 1071, 1, '客户',               '客戶',               'Customers',                        'Base|1003',          'SO-0001'),
    (10182, 1071, 2, '客户信用额度-维护',  '客戶信用額度-維護',  'Customer Credit Limit-Maintenance', 'Base|200000004',    ''),
    (10191, 1072, 1, '销售订单-新增',      '銷售訂單-新增',      'Sales Order-New',                  'Bill|81',            'SO-0101'),
    (10192, 1072, 2, '销售订单-序时簿',    '銷售訂單-序時簿',    'Sales Order-List',                 'List|81',            'SO-0102'),
    (10193, 1072, 3, '销售出库单-新增',    '銷售出庫單-新增',    'Sales Delivery-New',               'Bill|82',            'SO-0103'),
    (10201, 1073, 1, '销售订单执行汇总表', '銷售訂單執行彙總表', 'Sales Order Execution Summary',    'SQLRPT|5101',        'SO-0201'),
    (10202, 1073, 2, '销售收入统计表',     '銷售收入統計表',     'Sales Revenue Statistics',         'CROSSRPT|5102',      'SO-0202'),
    (10203, 1073, 3, '客户销售排行榜',     '客戶銷售排行榜',     'Top Customers by Sales',           'NEWCROSSRPT|5103',   'SO-0203'),
    -- 供应链 > 仓存管理, 存货核算
    (10211, 1081, 1, '物料',               '物料',               'Items',                            'Base|1005',          'IC-0001'),
    (10212, 1081, 2, '仓库',               '倉庫',               'Warehouses',                       'Base|1006',          'IC-0002'),
    (10221, 1082, 1, '采购入库单-序时簿',  '採購入庫單-序時簿',  'Purchase Receipt-List',            'List|72',            'IC-0101'),
    (10231, 1083, 1, '销售出库单-序时簿',  '銷售出庫單-序時簿',  'Sales Delivery-List',              'List|82',            'IC-0201'),
    (10241, 1084, 1, '即时库存',           '即時庫存',           'Stock on Hand',                    'IC|Stock',           'IC-0301'),
    (10242, 1084, 2, '库存台账',           '庫存明細帳',         'Stock Ledger',                     'SQLRPT|5301',        'IC-0302'),
    (10243, 1084, 3, '收发存汇总表',       '收發存彙總表',       'Stock Movement Summary',           'CROSSRPT|5302',      'IC-0303'),
    (10251, 1091, 1, '存货成本计算',       '存貨成本計算',       'Inventory Cost Calculation',       'COST|Calc',          'CO-0101'),
    -- 生产制造
    (10261, 1101, 1, '物料清单维护',       '物料清單維護',       'BOM Maintenance',                  'PDM|BOM',            'PD-0101'),
    (10271, 1111, 1, 'MRP计算',            'MRP計算',            'Run MRP',                          'MRP|Run',            'MR-0101'),
    (10272, 1111, 2, 'MRP运算结果查询',    'MRP運算結果查詢',    'MRP Results',                      'NEWCROSSRPT|5401',   'MR-0102'),
    (10281, 1121, 1, '生产任务单-新增',    '生產工單-新增',      'Work Order-New',                   'SFC|Order',          'SF-0101'),
    (10282, 1121, 2, '工序汇报单-序时簿',  '工序報工單-序時簿',  'Operation Report-List',            'List|200000008',     ''),
    (10291, 1122, 1, '车间派工',           '現場派工',           'Shop Floor Dispatch',              'SFC|Dispatch',       'SF-0201'),
    -- 系统设置
    (10301, 1131, 1, '用户管理',           '使用者管理',         'Users',                            'SYS|User',           'SY-0101'),
    (10302, 1131, 2, '权限管理',           '權限管理',           'Permissions',                      'SYS|Permission',     'SY-0102'),
    (10311, 1141, 1, '系统参数设置',       '系統參數設定',       'System Settings',                  'SYS|Param',          'SY-0201'),
    (10312, 1141, 2, '会计期间',           '會計期間',           'Accounting Periods',               'SYS|Period',         'SY-0202'),
    (10313, 1141, 3, '单据编码规则',       '單據編碼規則',       'Document Numbering',               'SYS|Numbering',      'SY-0203'),
    (10314, 1141, 4, '打印模板',           '列印範本',           'Print Templates',                  'SYS|PrintTemplate',  'SY-0204'),
    (10315, 1141, 5, '系统日志',           '系統日誌',           'System Log',                       'SYS|Log',            'SY-0205'),
    (10321, 1151, 1, '数据导入',           '資料匯入',           'Import Data',                      'SYS|Import',         'SY-0301')
)
INSERT INTO t_DetailFunc (FDetailFuncID, FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN,
                          FNameKey, FClassName, FClassParam, FHelpCode, FVisible)
SELECT FDetailFuncID, FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN,
       upper(trim(FFuncName_CHS, ' ')), 'OrvaHost.Application', FClassParam, FHelpCode, 1
FROM v;

-- ---------------------------------------------------------------------------------------------
-- Suite metadata
-- ---------------------------------------------------------------------------------------------

INSERT INTO t_BizSubSystem (FFunctionID, FName_CHS, FName_CHT, FName_EN) VALUES
    (1,  '总账',         '總帳',         'General Ledger'),
    (2,  '应收款管理',   '應收帳款管理', 'Accounts Receivable'),
    (3,  '应付款管理',   '應付帳款管理', 'Accounts Payable'),
    (4,  '现金管理',     '現金管理',     'Cash Management'),
    (5,  '固定资产',     '固定資產',     'Fixed Assets'),
    (11, '采购管理',     '採購管理',     'Purchasing'),
    (12, '销售管理',     '銷售管理',     'Sales'),
    (13, '仓存管理',     '庫存管理',     'Inventory Management'),
    (14, '存货核算',     '存貨核算',     'Inventory Costing'),
    (21, '生产数据管理', '生產資料管理', 'Production Data'),
    (22, '物料需求计划', '物料需求規劃', 'Material Requirements Planning'),
    (23, '生产任务管理', '生產工單管理', 'Work Orders');

-- FBillTypeID: 1 base data, 4 bill, 2 query object.
INSERT INTO t_ClassType (FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID) VALUES
    -- The suite's own types.
    (1001,      '会计科目',     '會計科目',     'Account',               1, 1),
    (1002,      '币别',         '幣別',         'Currency',              1, 1),
    (1003,      '客户',         '客戶',         'Customer',              1, 12),
    (1004,      '供应商',       '供應商',       'Supplier',              1, 11),
    (1005,      '物料',         '物料',         'Item',                  1, 13),
    (1006,      '仓库',         '倉庫',         'Warehouse',             1, 13),
    (71,        '采购订单',     '採購訂單',     'Purchase Order',        4, 11),
    (72,        '采购入库单',   '採購入庫單',   'Purchase Receipt',      4, 13),
    (81,        '销售订单',     '銷售訂單',     'Sales Order',           4, 12),
    (82,        '销售出库单',   '銷售出庫單',   'Sales Delivery',        4, 13),
    (83,        '销售发票',     '銷售發票',     'Sales Invoice',         4, 2),
    (85,        '收款单',       '收款單',       'Customer Receipt',      4, 2),
    (86,        '付款单',       '付款單',       'Vendor Payment',        4, 3),
    -- Types designed by the user, offered for publishing.
    (200000001, '质检方案',     '品檢方案',     'Inspection Plan',       1, 11),
    (200000002, '供应商评估单', '供應商評鑑單', 'Supplier Evaluation',   4, 11),
    (200000003, '销售报价单',   '銷售報價單',   'Sales Quotation',       4, 12),
    (200000004, '客户信用额度', '客戶信用額度', 'Customer Credit Limit', 1, 12),
    (200000005, '退货申请单',   '退貨申請單',   'Return Request',        4, 12),
    (200000006, '销售毛利查询', '銷售毛利查詢', 'Gross Margin Inquiry',  2, 12),
    (200000007, '设备',         '設備',         'Equipment',             1, 21),
    (200000008, '工序汇报单',   '工序報工單',   'Operation Report',      4, 23),
    (200000009, '门店',         '門市',         'Store',                 1, 12);

-- FEnvironment: 39 = bits of the bill form, 960 = bits of the bill list (see the schema).
-- The return request (200000005) has no actions of its own: the bill-action catalogue gives such a
-- bill the suite's standard actions (enter a new bill, open the list) when a dialog asks for them.
INSERT INTO t_BillAction (FClassTypeID, FKey, FOrder, FName_CHS, FName_CHT, FName_EN, FEnvironment) VALUES
    (71,        'mnuFileNew',    1, '新增',     '新增',     'New',               65),
    (71,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              128),
    (71,        'mnuEditCheck',  3, '审核',     '審核',     'Approve',           64),
    (72,        'mnuFileNew',    1, '新增',     '新增',     'New',               1),
    (72,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (81,        'mnuFileNew',    1, '新增',     '新增',     'New',               1),
    (81,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (81,        'mnuEditCheck',  3, '审核',     '審核',     'Approve',           65),
    (81,        'mnuFilePrint',  4, '打印',     '列印',     'Print',             33),
    (81,        'mnuViewTrace',  5, '关联查询', '關聯查詢', 'Related Documents', 0),
    (82,        'mnuFileNew',    1, '新增',     '新增',     'New',               1),
    (82,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (82,        'mnuEditCheck',  3, '审核',     '審核',     'Approve',           256),
    (83,        'mnuFileNew',    1, '新增',     '新增',     'New',               2),
    (83,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              512),
    (83,        'mnuFilePrint',  3, '打印',     '列印',     'Print',             4),
    (85,        'mnuFileNew',    1, '新增',     '新增',     'New',               1),
    (85,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (86,        'mnuFileNew',    1, '新增',     '新增',     'New',               1),
    (86,        'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (200000002, 'mnuFileNew',    1, '新增',     '新增',     'New',               1),
    (200000002, 'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (200000002, 'mnuEditCheck',  3, '审核',     '審核',     'Approve',           68),
    -- Quotations are started from the list, so "New" lives there only.
    (200000003, 'mnuFileNew',    1, '新增',     '新增',     'New',               64),
    (200000003, 'mnuViewList',   2, '序时簿',   '序時簿',   'List',              64),
    (200000003, 'mnuFilePrint',  3, '打印',     '列印',     'Print',             32),
    (200000003, 'mnuViewTrace',  4, '关联查询', '關聯查詢', 'Related Documents', 0),
    -- Operation reports are generated from work orders and never entered by hand.
    (200000008, 'mnuFileNew',    1, '新增',     '新增',     'New',               0),
    (200000008, 'mnuViewList',   2, '序时簿',   '序時簿',   'List',              960),
    (200000008, 'mnuEditCheck',  3, '审核',     '審核',     'Approve',           39);

-- FType: 1000 cross-tab, 1001 SQL report, 1002 new cross-tab.
INSERT INTO t_Report (FID, FName_CHS, FName_CHT, FName_EN, FType, FFunctionID) VALUES
    (5001, '科目余额表',         '科目餘額表',         'Account Balances',                 1001, 1),
    (5002, '总分类账',           '總分類帳',           'General Ledger',                   1001, 1),
    (5003, '明细分类账',         '明細分類帳',         'Subsidiary Ledger',                1001, 1),
    (5004, '试算平衡表',         '試算表',             'Trial Balance',                    1000, 1),
    (5011, '应收账龄分析表',     '應收帳齡分析表',     'Receivables Aging',                1002, 2),
    (5021, '应付款汇总表',       '應付帳款彙總表',     'Payables Summary',                 1001, 3),
    (5101, '销售订单执行汇总表', '銷售訂單執行彙總表', 'Sales Order Execution Summary',    1001, 12),
    (5102, '销售收入统计表',     '銷售收入統計表',     'Sales Revenue Statistics',         1000, 12),
    (5103, '客户销售排行榜',     '客戶銷售排行榜',     'Top Customers by Sales',           1002, 12),
    (5104, '销售毛利分析表',     '銷售毛利分析表',     'Gross Margin Analysis',            1000, 12),
    (5201, '采购价格分析表',     '採購價格分析表',     'Purchase Price Analysis',          1000, 11),
    (5202, '供应商供货汇总表',   '供應商供貨彙總表',   'Supplier Delivery Summary',        1002, 11),
    (5203, '采购订单执行明细表', '採購訂單執行明細表', 'Purchase Order Execution Details', 1001, 11),
    (5301, '库存台账',           '庫存明細帳',         'Stock Ledger',                     1001, 13),
    (5302, '收发存汇总表',       '收發存彙總表',       'Stock Movement Summary',           1000, 13),
    (5303, '呆滞料分析表',       '呆滯料分析表',       'Slow-Moving Stock Analysis',       1002, 13),
    (5401, 'MRP运算结果查询',    'MRP運算結果查詢',    'MRP Results',                      1002, 22);
