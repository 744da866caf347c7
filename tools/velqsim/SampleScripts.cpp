#include "tools/velqsim/SampleScripts.h"

namespace velqsim {
namespace {

constexpr char kSchemaCmd[] =
    R"script(@rem Creates the store database %1 with its schema and the store
@rem administrator; %2 is S for a staging server, N otherwise; %3 is the
@rem administrator's initial password, enciphered; %4 is the log.
@echo Creating the Tessaly store database %1 > %4
@velq create database %1 >> %4
@velq connect to %1 >> %4
@velq -tvf schema.sql >> %4
@velq "insert into shopadm (logonid, password, staging, status) values ('ncadmin', '%~3', '%2', 1)" >> %4
@velq connect reset >> %4
)script";

constexpr char kSchemaSql[] =
    R"script(-- The store schema: the catalogue of the product's own objects, the
-- administrators, stores, products and orders.
create table ofs (
  refnum integer not null primary key,
  name varchar(64) not null,
  version decimal(5,1) not null,
  vendor varchar(16) not null,
  product varchar(16) not null);
create table shopadm (
  logonid varchar(31) not null primary key,
  password varchar(64) not null,
  staging char(1) not null,
  status integer not null);
create table merchant (
  merfnbr integer not null primary key,
  mestname varchar(80) not null,
  mecurrency char(3) not null default 'USD');
create table category (
  cgrfnbr integer not null primary key,
  cgmenbr integer not null references merchant (merfnbr),
  cgname varchar(64) not null);
create table product (
  prrfnbr integer not null primary key,
  prmenbr integer not null references merchant (merfnbr),
  prsku varchar(32) not null,
  prname varchar(128) not null,
  prprice decimal(15,2) not null);
create table shopper (
  shrfnbr integer not null primary key,
  shlogid varchar(31) not null unique,
  shemail varchar(128));
create table orders (
  orrfnbr integer not null primary key,
  orshnbr integer not null references shopper (shrfnbr),
  ormenbr integer not null references merchant (merfnbr),
  orstat char(1) not null default 'P',
  ortotal decimal(15,2) not null default 0);
create table orderitem (
  oirfnbr integer not null primary key,
  oiornbr integer not null references orders (orrfnbr),
  oiprnbr integer not null references product (prrfnbr),
  oiquant integer not null);
insert into ofs values (1, 'tq3_taxRule', 1.0, 'VXR', 'TQ');
insert into ofs values (2, 'tq3_payRule', 1.0, 'VXR', 'TQ');
insert into ofs values (3, 'tq3_orderFlow', 1.0, 'VXR', 'TQ');
)script";

constexpr char kJqdataCmd[] =
    R"script(@rem Adds the hosting edition's data to the database %1; %2 is the log,
@rem %3 and %4 the database owner and password.
@velq connect to %1 user %3 using %4 > %2
@velq -tvf jqdata.sql >> %2
@velq connect reset >> %2
)script";

constexpr char kJqdataSql[] =
    R"script(-- The hosting edition: hosted stores and their plans, and the shipping
-- rule object that tells the data is present.
create table hostplan (
  hprfnbr integer not null primary key,
  hpname varchar(64) not null,
  hpmaxproducts integer not null);
create table hostedstore (
  hsrfnbr integer not null primary key,
  hsmenbr integer not null references merchant (merfnbr),
  hshpnbr integer not null references hostplan (hprfnbr),
  hsstatus char(1) not null default 'A');
insert into hostplan values (1, 'Basic', 100);
insert into hostplan values (2, 'Business', 10000);
insert into ofs values (100, 'tq3_shipRule', 1.0, 'VXR', 'TQ');
)script";

constexpr char kMigrateCmd[] =
    R"script(@rem Brings the hosting edition's data of the database %1 from the earlier
@rem level up to date; %2 is the log, %3 and %4 the owner and password.
@velq connect to %1 user %3 using %4 > %2
@velq -tvf jq3122migrate.sql >> %2
@velq connect reset >> %2
)script";

constexpr char kMigrateSql[] =
    R"script(-- Hosting data of the earlier level: plans gain their product limit and
-- the shipping rule object is registered at its current version.
create table if not exists hostplan (
  hprfnbr integer not null primary key,
  hpname varchar(64) not null,
  hpmaxproducts integer not null default 100);
delete from ofs where name = 'tq3_shipRule';
insert into ofs values (100, 'tq3_shipRule', 1.0, 'VXR', 'TQ');
)script";

constexpr char kSearchextCmd[] =
    R"script(@rem Sets up the text search extension for the products of database %1;
@rem %2 is the log, %3 and %4 the owner and password.
@velq connect to %1 user %3 using %4 > %2
@velq -tvf searchext.sql >> %2
@velq connect reset >> %2
)script";

constexpr char kSearchextSql[] =
    R"script(-- Text search over product names: an index of the words of every
-- product and the view that searches go through.
create table prodtext (
  ptprnbr integer not null references product (prrfnbr),
  ptword varchar(64) not null);
create index prodtext_word on prodtext (ptword);
insert into prodtext select prrfnbr, lower(prname) from product;
create view prodsearch as select ptprnbr, ptword from prodtext;
)script";

}  // namespace

const std::vector<SampleScript>& SampleScripts() {
  static const std::vector<SampleScript> scripts = {
      {"schema.cmd", kSchemaCmd},         {"schema.sql", kSchemaSql},
      {"jqdata.cmd", kJqdataCmd},         {"jqdata.sql", kJqdataSql},
      {"jq3122migrate.cmd", kMigrateCmd}, {"jq3122migrate.sql", kMigrateSql},
      {"searchext.cmd", kSearchextCmd},   {"searchext.sql", kSearchextSql},
  };
  return scripts;
}

}  // namespace velqsim
