This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      2
      1    1.4
    1.2    1.6
 
      6
 
         1         3
         2         2         3
   2   1   1
         2         2
         1         1
   1   2
         3         1
         1
   1
         4         3
         5         5         6
   2   1   1
         5         2
         4         4
   1   2
         6         1
         4
   1
