-- 图书管理系统: schema of the embedded database file (SQLite).
-- Kinds: text, memo -> TEXT; integer -> INTEGER; floating -> REAL;
-- money -> MONEY, stored as integer ten-thousandths (exact; the drivers convert);
-- date -> DATE, stored as the text yyyy-mm-dd; yes/no -> BOOLEAN, stored as 0 or 1.
-- Statements are separated by lines that hold only "--;".

CREATE TABLE admin (
  AdminName TEXT, pwd TEXT,
  qxAdmin BOOLEAN DEFAULT 0, qxDel BOOLEAN DEFAULT 0, qxBk BOOLEAN DEFAULT 0, qxRd BOOLEAN DEFAULT 0,
  qxQk BOOLEAN DEFAULT 0, qxwp BOOLEAN DEFAULT 0, qxBkXg BOOLEAN DEFAULT 0, qxRdXg BOOLEAN DEFAULT 0,
  qxQkXg BOOLEAN DEFAULT 0, qxwpxg BOOLEAN DEFAULT 0, qxborrow BOOLEAN DEFAULT 0, qxReturn BOOLEAN DEFAULT 0,
  qxSysSet BOOLEAN DEFAULT 0, qxAddData BOOLEAN DEFAULT 0
);
--;
CREATE TABLE 系统设置 (
  图书馆名 TEXT, 地址 TEXT, 邮编 TEXT, 电话 TEXT, 负责人 TEXT,
  超期每日罚金 REAL DEFAULT 0, 押金倍数 REAL DEFAULT 0, 赔损金额倍数 REAL DEFAULT 0,
  开户费 MONEY DEFAULT 0,
  借出时打印清单 BOOLEAN DEFAULT 0, 启用押金功能 BOOLEAN DEFAULT 0, 借阅数量限制功能 BOOLEAN DEFAULT 0,
  启用超期罚金 BOOLEAN DEFAULT 0, 启用读者租金 BOOLEAN DEFAULT 0, 启用读者有效期 BOOLEAN DEFAULT 0,
  启用租金功能 BOOLEAN DEFAULT 0,
  借阅证背面文字 TEXT,
  归还焦点条形码 BOOLEAN DEFAULT 0, 归还焦点图书编号 BOOLEAN DEFAULT 0, 归还焦点读者编号 BOOLEAN DEFAULT 0
);
--;
CREATE TABLE 图书 (
  编号 TEXT NOT NULL, 名称 TEXT, 条形码 TEXT, 索书号 TEXT, 分类号 TEXT, 数量 INTEGER DEFAULT 0,
  分类 TEXT, 二级分类 TEXT, 出版社 TEXT, 存放位置 TEXT, 租金级别 TEXT, 价格 MONEY DEFAULT 0, 币种 TEXT,
  作者 TEXT, 译者 TEXT, 出版时间 DATE, ISBN TEXT, 密级 TEXT, 附件 TEXT, 版次 TEXT, 页数 INTEGER,
  图片地址 TEXT, 绝对地址 TEXT, py TEXT, 简介 TEXT, 入库时间 DATE, 借出次数 INTEGER DEFAULT 0,
  状态 TEXT, 登记人 TEXT
);
--;
CREATE UNIQUE INDEX 图书_编号 ON 图书 (编号);
--;
CREATE INDEX 图书_条形码 ON 图书 (条形码);
--;
CREATE INDEX 图书_借出次数 ON 图书 (借出次数);
--;
CREATE INDEX 图书_入库时间 ON 图书 (入库时间);
--;
CREATE TABLE 期刊 (
  编号 TEXT, 名称 TEXT, 条形码 TEXT, 出版社 TEXT, 租金级别 TEXT, 存放位置 TEXT, 分类 TEXT, 二级分类 TEXT,
  数量 INTEGER DEFAULT 0, ISSN TEXT, 国内统一刊号 TEXT, 邮发代号 TEXT, 第几期 TEXT, 总第几期 TEXT,
  出版时间 DATE, 价格 MONEY DEFAULT 0, 币种 TEXT, 图片地址 TEXT, 绝对地址 TEXT, py TEXT, 简介 TEXT,
  状态 TEXT, 借出次数 INTEGER DEFAULT 0, 入库时间 DATE, 登记人 TEXT
);
--;
CREATE INDEX 期刊_编号 ON 期刊 (编号);
--;
CREATE INDEX 期刊_条形码 ON 期刊 (条形码);
--;
CREATE INDEX 期刊_借出次数 ON 期刊 (借出次数);
--;
CREATE TABLE 读者库 (
  读者编号 TEXT, 读者姓名 TEXT, 性别 TEXT, 类别 TEXT, 有效证件 TEXT, 证件号码 TEXT, 联系电话 TEXT,
  登记日期 DATE, 有效期 DATE, 班级 TEXT, 院系 TEXT, 单位部门 TEXT, 住址 TEXT, 备注 TEXT, 登记人 TEXT,
  状态 TEXT, 密码 TEXT, 未还数量 INTEGER DEFAULT 0, 累计借阅次数 INTEGER DEFAULT 0,
  卡内金额 MONEY NOT NULL DEFAULT 0, py TEXT
);
--;
CREATE INDEX 读者库_读者编号 ON 读者库 (读者编号);
--;
CREATE INDEX 读者库_累计借阅次数 ON 读者库 (累计借阅次数);
--;
CREATE TABLE 借出记录 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  读者编号 TEXT, 读者姓名 TEXT, 编号 TEXT, 名称 TEXT, 条形码 TEXT, 类别 TEXT, 租金 MONEY DEFAULT 0,
  借阅日期 DATE, 应还日期 DATE, 借阅经手人 TEXT, 已还 TEXT, 物品状况 TEXT, 归还日期 DATE,
  归还经手人 TEXT, 实际租期 INTEGER, 实际租金 MONEY, 赔偿金额 MONEY, 归还备注 TEXT,
  押金 MONEY DEFAULT 0, 价格 MONEY DEFAULT 0, 附件 TEXT
);
--;
CREATE INDEX 借出记录_读者 ON 借出记录 (读者编号, 已还);
--;
CREATE INDEX 借出记录_编号 ON 借出记录 (编号, 已还);
--;
CREATE INDEX 借出记录_条形码 ON 借出记录 (条形码, 已还);
--;
CREATE INDEX 借出记录_应还日期 ON 借出记录 (应还日期, 已还);
--;
CREATE INDEX 借出记录_借阅日期 ON 借出记录 (借阅日期);
--;
CREATE TABLE 收入 (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  项目 TEXT, 时间 DATE, 读者编号 TEXT, 读者姓名 TEXT, 金额 MONEY DEFAULT 0, 管理员 TEXT, 备注 TEXT
);
--;
CREATE INDEX 收入_时间 ON 收入 (时间);
--;
CREATE TABLE 读者类别 (类别名 TEXT, 借阅天数 INTEGER DEFAULT 0, 借阅数量限制 INTEGER DEFAULT 0, 租金 MONEY DEFAULT 0);
--;
CREATE TABLE 租金级别 (名称 TEXT, 租金 MONEY DEFAULT 0);
--;
CREATE TABLE 分类 (名称 TEXT);
--;
CREATE TABLE 二级分类 (名称 TEXT);
--;
CREATE TABLE 出版社名 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 出版社名 TEXT, ISBN TEXT, 出版地 TEXT);
--;
CREATE TABLE 单位名称 (单位名称 TEXT);
--;
CREATE TABLE 存放位置 (存放位置名 TEXT);
--;
CREATE TABLE 证件名 (证件名 TEXT);
--;
CREATE TABLE 密级 (密级 TEXT);
--;
CREATE TABLE 币种 (币种 TEXT);
--;
CREATE TABLE 附件名 (附件名 TEXT);
