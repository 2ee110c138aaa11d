#include "data/Unit6.h"
#include "data/Notice.h"

TDataModule6 *DataModule6 = nullptr;

const char *const kDefaultServer = "192.168.10.5";

QString ConnectionString(const QString &database, const QString &server)
{
    return QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + database
        + QStringLiteral(";SERVER=") + server
        + QStringLiteral(";PORT=5432;UID=sys;PWD=") + QStringLiteral("wompvlk")
        + QStringLiteral(";SSLmode=allow;")
        + QStringLiteral("ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
                         "ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;"
                         "MaxLongVarcharSize=8190;")
        + QStringLiteral("Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;"
                         "UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;"
                         "LFConversion=1;UpdatableCursors=1;")
        + QStringLiteral("TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;"
                         "LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");
}

QString DefaultConnectionString()
{
    return ConnectionString(QStringLiteral("mill_erp"), QString::fromLatin1(kDefaultServer));
}

QString ConnectionStringFromArgs(const QStringList &args)
{
    const QString db = args.size() > 1 ? args[1] : QString();
    const QString server = args.size() > 2 ? args[2] : QString();
    if (!server.isEmpty())
        return ConnectionString(db, server);
    return DefaultConnectionString();
}

QString TDataModule6::smenaSql(int shift)
{
    const QString mark = shift == 1 ? QStringLiteral("ok!=:ok") : QStringLiteral("ok<>:ok");
    const QString order = shift == 1 ? QStringLiteral("fio, izdel.marka, vid_oper.vid, oper.naimen, color")
                                     : QStringLiteral("fio");
    return QStringLiteral(
               "select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, smena.cena,"
               "person.s_caption fio, izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN "
               "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen, smena.brak, "
               "smena.kol_vo::numeric, round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, "
               "color,time, smena.ok, vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, "
               "smena.id_gds_use, smena.id_cons_use from cmn_contractor.person person, accounts_dep.izdel,"
               "accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper where smena.i_id=izdel.id and "
               "smena.o_id=oper.id and (w_id=person.id or s_code::t_id=w_id) and oper.vid=vid_oper.id and "
               "smena.smena=%1 and smena.data=:data and %2 order by %3")
        .arg(shift)
        .arg(mark, order);
}

QString TDataModule6::hTabelSql(int shift)
{
    QStringList terms;
    for (int d = 1; d <= 31; ++d)
        terms << QStringLiteral("coalesce(d%1,0)").arg(d);
    const QString S = QLatin1Char('(') + terms.join(QLatin1Char('+')) + QLatin1Char(')');
    return QStringLiteral("select person.s_caption fio, ") + S
        + QStringLiteral(" as summ, case when ") + S
        + QStringLiteral("=0 then 0 else (sum(s.cena*(kol_vo-brak))/") + S
        + QStringLiteral(") end ::numeric(10,2) as average_price, sum(s.cena*(kol_vo-brak))::numeric(10,2) as "
                         "cena_all, h_tabel.* from accounts_dep.h_tabel, cmn_contractor.person, accounts_dep.smena s "
                         "where h_tabel.w_id=person.s_code::integer and h_tabel.smena=%1 and month=:mnth and "
                         "s.w_id = h_tabel.w_id and h_tabel.year=:yea and s.data >=:date1 and s.data <:date2 "
                         "group by person.s_caption,h_tabel.w_id,h_tabel.month,h_tabel.year,h_tabel.smena,"
                         "h_tabel.id order by fio")
              .arg(shift);
}

TDataModule6::TDataModule6(QObject *parent)
    : QObject(parent),
      ADO_DB(QStringLiteral("ADO_DB")),
      Smena1(ADO_DB, QStringLiteral("Smena1"), smenaSql(1), this),
      Smena2(ADO_DB, QStringLiteral("Smena2"), smenaSql(2), this),
      Smena3(ADO_DB, QStringLiteral("Smena3"), smenaSql(3), this),
      Smena4(ADO_DB, QStringLiteral("Smena4"), smenaSql(4), this),
      Workers(ADO_DB, QStringLiteral("Workers"), QStringLiteral("select * from accounts_dep.person order by fio"), this),
      Izdel(ADO_DB, QStringLiteral("Izdel"), QStringLiteral("select *  from accounts_dep.IZDEL order by marka"), this),
      Oper(ADO_DB, QStringLiteral("Oper"),
           QStringLiteral("select izdel.MARKA, vid_oper.VID, oper.NAIMEN, (SELECT (CASE naimen WHEN 0 THEN "
                          "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, count(o_id) norma, "
                          "min(price)::numeric cena, oper.id, oper.i_id, oper.VID as oper_vid from "
                          "accounts_dep.norm,accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER where "
                          "OPER.i_id=IZDEL.id and norm.o_id=oper.id and oper.vid=vid_oper.id group by "
                          "izdel.MARKA, vid_oper.VID, oper.NAIMEN, oper.id, oper.i_id, oper.VID order by "
                          "izdel.marka, vid_oper.vid, oper.naimen"),
           this),
      Vid_oper(ADO_DB, QStringLiteral("Vid_oper"), QStringLiteral("select * from accounts_dep.VID_OPER order by vid"), this),
      H_Tabel_1(ADO_DB, QStringLiteral("H_Tabel_1"), hTabelSql(1), this),
      H_Tabel_2(ADO_DB, QStringLiteral("H_Tabel_2"), hTabelSql(2), this),
      H_Tabel_3(ADO_DB, QStringLiteral("H_Tabel_3"), hTabelSql(3), this),
      Control(ADO_DB, QStringLiteral("Control"), {}, this),
      DelSmena(ADO_DB, QStringLiteral("DelSmena")),
      H_Tabel_ins(ADO_DB, QStringLiteral("H_Tabel_ins")),
      SQL_exec(ADO_DB, QStringLiteral("SQL_exec")),
      Oper_ins(ADO_DB, QStringLiteral("Oper_ins")),
      Oper_ed(ADO_DB, QStringLiteral("Oper_ed")),
      Oper_del(ADO_DB, QStringLiteral("Oper_del"), QStringLiteral("delete from accounts_dep.oper where id=:id::integer"))
{
    setObjectName(QStringLiteral("DataModule6"));
    DataModule6 = this;
}

TDataModule6::~TDataModule6()
{
    if (DataModule6 == this)
        DataModule6 = nullptr;
}

Dataset &TDataModule6::journal(int shift)
{
    switch (shift) {
    case 2: return Smena2;
    case 3: return Smena3;
    case 4: return Smena4;
    default: return Smena1;
    }
}

bool TDataModule6::CheckDuplicate(const QString &sql, const QString &message, const SqlParams &params)
{
    Control.close();
    Control.setSql(sql);
    for (const auto &p : params)
        Control.setParam(p.first, p.second);
    Control.open();
    qint64 cnt = 0;
    try {
        cnt = Control.asInt(QStringLiteral("cnt"));
    } catch (...) {
        Control.close();
        throw;
    }
    Control.close();
    if (cnt > 0) {
        Notice::error(message, QStringLiteral("Ошибка"));
        return true;
    }
    return false;
}

bool TDataModule6::CheckedWrite(const QString &lockKey, const QString &countSql, const SqlParams &params,
                                const QString &message, const std::function<void()> &write)
{
    if (::CheckedWrite(ADO_DB, lockKey, countSql, params, write) == WriteResult::Duplicate) {
        Notice::error(message, QStringLiteral("Ошибка"));
        return false;
    }
    return true;
}

QString TDataModule6::ApplyDecimalDelimiter(const QString &text) const
{
    int pos = text.indexOf(u',');
    if (pos < 0)
        pos = text.indexOf(u'.');
    if (pos < 0)
        return text;
    QString r = text;
    r.replace(pos, 1, DecimalDelimiter);
    return r;
}
