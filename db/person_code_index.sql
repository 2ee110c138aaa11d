-- Optional index for databases whose enterprise persons all have numeric
-- codes (cmn_contractor.person.s_code), which the journal, timesheet and
-- report queries need anyway: they compare s_code::t_id / ::integer with the
-- worker references. With it the journal finds each entry's worker through the
-- index instead of casting every person's code for every entry (on a shop of
-- 400 workers the four shift journals of a day open about twice as fast).
-- It is not part of schema.sql because, once it exists, the database refuses
-- any person with a code that is not a number, also from other programs that
-- share the table. Apply it only where that is acceptable:
--   psql -d mill_erp -f db/person_code_index.sql
do $$ begin
  create index if not exists person_s_code_t_id on cmn_contractor.person ((s_code::public.t_id));
exception when invalid_text_representation or numeric_value_out_of_range then
  raise notice 'person_s_code_t_id not created: cmn_contractor.person has codes that are not numbers';
end $$;
