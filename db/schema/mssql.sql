-- 图书管理系统: schema of a shared SQL Server database.
-- Kinds: text -> NVARCHAR(255); memo -> NVARCHAR(MAX); integer -> INT; floating -> FLOAT;
-- money -> MONEY; date -> DATE; yes/no -> BIT.
-- Statements are separated by lines that hold only "--;".

CREATE TABLE admin (
  AdminName NVARCHAR(255), pwd NVARCHAR(255),
  qxAdmin BIT DEFAULT 0, qxDel BIT DEFAULT 0, qxBk BIT DEFAULT 0, qxRd BIT DEFAULT 0,
  qxQk BIT DEFAULT 0, qxwp BIT DEFAULT 0, qxBkXg BIT DEFAULT 0, qxRdXg BIT DEFAULT 0,
  qxQkXg BIT DEFAULT 0, qxwpxg BIT DEFAULT 0, qxborrow BIT DEFAULT 0, qxReturn BIT DEFAULT 0,
  qxSysSet BIT DEFAULT 0, qxAddData BIT DEFAULT 0
);
--;
CREATE TABLE 系统设置 (
  图书馆名 NVARCHAR(255), 地址 NVARCHAR(255), 邮编 NVARCHAR(255), 电话 NVARCHAR(255), 负责人 NVARCHAR(255),
  超期每日罚金 FLOAT DEFAULT 0, 押金倍数 FLOAT DEFAULT 0, 赔损金额倍数 FLOAT DEFAULT 0,
  开户费 MONEY DEFAULT 0,
  借出时打印清单 BIT DEFAULT 0, 启用押金功能 BIT DEFAULT 0, 借阅数量限制功能 BIT DEFAULT 0,
  启用超期罚金 BIT DEFAULT 0, 启用读者租金 BIT DEFAULT 0, 启用读者有效期 BIT DEFAULT 0,
  启用租金功能 BIT DEFAULT 0,
  借阅证背面文字 NVARCHAR(MAX),
  归还焦点条形码 BIT DEFAULT 0, 归还焦点图书编号 BIT DEFAULT 0, 归还焦点读者编号 BIT DEFAULT 0
);
--;
CREATE TABLE 图书 (
  编号 NVARCHAR(255) NOT NULL, 名称 NVARCHAR(255), 条形码 NVARCHAR(255), 索书号 NVARCHAR(255), 分类号 NVARCHAR(255), 数量 INT DEFAULT 0,
  分类 NVARCHAR(255), 二级分类 NVARCHAR(255), 出版社 NVARCHAR(255), 存放位置 NVARCHAR(255), 租金级别 NVARCHAR(255), 价格 MONEY DEFAULT 0, 币种 NVARCHAR(255),
  作者 NVARCHAR(255), 译者 NVARCHAR(255), 出版时间 DATE, ISBN NVARCHAR(255), 密级 NVARCHAR(255), 附件 NVARCHAR(255), 版次 NVARCHAR(255), 页数 INT,
  图片地址 NVARCHAR(MAX), 绝对地址 NVARCHAR(MAX), py NVARCHAR(255), 简介 NVARCHAR(MAX), 入库时间 DATE, 借出次数 INT DEFAULT 0,
  状态 NVARCHAR(255), 登记人 NVARCHAR(255)
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
  编号 NVARCHAR(255), 名称 NVARCHAR(255), 条形码 NVARCHAR(255), 出版社 NVARCHAR(255), 租金级别 NVARCHAR(255), 存放位置 NVARCHAR(255), 分类 NVARCHAR(255), 二级分类 NVARCHAR(255),
  数量 INT DEFAULT 0, ISSN NVARCHAR(255), 国内统一刊号 NVARCHAR(255), 邮发代号 NVARCHAR(255), 第几期 NVARCHAR(255), 总第几期 NVARCHAR(255),
  出版时间 DATE, 价格 MONEY DEFAULT 0, 币种 NVARCHAR(255), 图片地址 NVARCHAR(MAX), 绝对地址 NVARCHAR(MAX), py NVARCHAR(255), 简介 NVARCHAR(MAX),
  状态 NVARCHAR(255), 借出次数 INT DEFAULT 0, 入库时间 DATE, 登记人 NVARCHAR(255)
);
--;
CREATE INDEX 期刊_编号 ON 期刊 (编号);
--;
CREATE INDEX 期刊_条形码 ON 期刊 (条形码);
--;
CREATE INDEX 期刊_借出次数 ON 期刊 (借出次数);
--;
CREATE TABLE 读者库 (
  读者编号 NVARCHAR(255), 读者姓名 NVARCHAR(255), 性别 NVARCHAR(255), 类别 NVARCHAR(255), 有效证件 NVARCHAR(255), 证件号码 NVARCHAR(255), 联系电话 NVARCHAR(255),
  登记日期 DATE, 有效期 DATE, 班级 NVARCHAR(255), 院系 NVARCHAR(255), 单位部门 NVARCHAR(255), 住址 NVARCHAR(255), 备注 NVARCHAR(MAX), 登记人 NVARCHAR(255),
  状态 NVARCHAR(255), 密码 NVARCHAR(255), 未还数量 INT DEFAULT 0, 累计借阅次数 INT DEFAULT 0,
  卡内金额 MONEY NOT NULL DEFAULT 0, py NVARCHAR(255)
);
--;
CREATE INDEX 读者库_读者编号 ON 读者库 (读者编号);
--;
CREATE INDEX 读者库_累计借阅次数 ON 读者库 (累计借阅次数);
--;
CREATE TABLE 借出记录 (
  id INT IDENTITY(1,1) PRIMARY KEY,
  读者编号 NVARCHAR(255), 读者姓名 NVARCHAR(255), 编号 NVARCHAR(255), 名称 NVARCHAR(255), 条形码 NVARCHAR(255), 类别 NVARCHAR(255), 租金 MONEY DEFAULT 0,
  借阅日期 DATE, 应还日期 DATE, 借阅经手人 NVARCHAR(255), 已还 NVARCHAR(255), 物品状况 NVARCHAR(255), 归还日期 DATE,
  归还经手人 NVARCHAR(255), 实际租期 INT, 实际租金 MONEY, 赔偿金额 MONEY, 归还备注 NVARCHAR(MAX),
  押金 MONEY DEFAULT 0, 价格 MONEY DEFAULT 0, 附件 NVARCHAR(255)
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
  id INT IDENTITY(1,1) PRIMARY KEY,
  项目 NVARCHAR(255), 时间 DATE, 读者编号 NVARCHAR(255), 读者姓名 NVARCHAR(255), 金额 MONEY DEFAULT 0, 管理员 NVARCHAR(255), 备注 NVARCHAR(MAX)
);
--;
CREATE INDEX 收入_时间 ON 收入 (时间);
--;
CREATE TABLE 读者类别 (类别名 NVARCHAR(255), 借阅天数 INT DEFAULT 0, 借阅数量限制 INT DEFAULT 0, 租金 MONEY DEFAULT 0);
--;
CREATE TABLE 租金级别 (名称 NVARCHAR(255), 租金 MONEY DEFAULT 0);
--;
CREATE TABLE 分类 (名称 NVARCHAR(255));
--;
CREATE TABLE 二级分类 (名称 NVARCHAR(255));
--;
CREATE TABLE 出版社名 (ID INT IDENTITY(1,1) PRIMARY KEY, 出版社名 NVARCHAR(255), ISBN NVARCHAR(255), 出版地 NVARCHAR(255));
--;
CREATE TABLE 单位名称 (单位名称 NVARCHAR(255));
--;
CREATE TABLE 存放位置 (存放位置名 NVARCHAR(255));
--;
CREATE TABLE 证件名 (证件名 NVARCHAR(255));
--;
CREATE TABLE 密级 (密级 NVARCHAR(255));
--;
CREATE TABLE 币种 (币种 NVARCHAR(255));
--;
CREATE TABLE 附件名 (附件名 NVARCHAR(255));
