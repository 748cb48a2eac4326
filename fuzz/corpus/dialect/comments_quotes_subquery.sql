select x.Name, y.Field_Desc -- the header's comment (+) stays
  from tqd_dict_name x, tqd_Datasource_Field y
 where y.Field_Id(+) = x.Field_Id /* SELECT UNIQUE 'it''s' */
   and x.Name = 'O''Brien (+)'
   and x.Field_Id in (select u.Field_Id from PM_TemplateField u, PM_Template t where t.Id (+) = u.TemplateId)
 order by Name
