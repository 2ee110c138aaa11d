#pragma once
// A small shop for the printed reports: two workers, two nomenclature
// groups, an assembly, a painting and a second assembly operation, and
// February 2026 entries, with entries just outside the month.
#include "support/TestDb.h"

inline void reportShop()
{
    TestDb::exec(R"SQL(
insert into cmn_classifier.item (id, id_level, s_caption) values (500, 2, 'Стулья'), (501, 2, 'Столы');
insert into accounts_dep.person (id, fio, s_staffpos_hl) values
  (101, 'Иванов И.И.', 'Сборщик'), (102, 'Петров П.П.', 'Маляр');
insert into cmn_gds_and_srv.gds_and_srv (id, s_caption, id_msm_bs, massa, id_class_item) values
  (2001, 'СТ-101', 6, 0.5, 500), (2002, 'СТЛ-5', 6, 1.25, 501);
insert into accounts_dep.vid_oper (id, vid) values (11, 'Сборка'), (12, 'Покраска');
insert into accounts_dep.oper (id, vid, naimen, i_id, cena_new) values
  (301, 11, 0, 2001, 0), (302, 12, 1, 2001, 0), (303, 11, 0, 2002, 0);
insert into accounts_dep.smena (w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, prize) values
  (101, 2001, 301, 10, 1, '2026-02-02', 1, 12.5, 0, 8, 'ok', 10),
  (101, 2001, 302, 4, 0, '2026-02-03', 1, 4.75, 1, 8, 'no', 0),
  (101, 2001, 302, 2, 0, '2026-02-03', 2, 4.75, 1013, 8, 'ok', 0),
  (101, 2002, 303, 3, 0, '2026-02-10', 1, 10.005, 0, 8, 'ok', 0),
  (102, 2001, 301, 5, 0, '2026-02-28', 1, 12.5, 0, 8, 'ok', 0),
  (102, 2001, 301, 100, 0, '2026-03-01', 1, 12.5, 0, 8, 'ok', 0),
  (102, 2001, 301, 200, 0, '2026-01-31', 1, 12.5, 0, 8, 'ok', 0);
)SQL");
}
