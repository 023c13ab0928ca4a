This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
    1.5
    2.5
 
      6
 
         5         2
         1         2
   1   1
         6         2
         3         4
   1   1
         1         1
         5
   1
         2         1
         5
   1
         3         1
         6
   1
         4         1
         6
   1
