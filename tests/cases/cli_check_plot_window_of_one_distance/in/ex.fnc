This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      2
      1.1    1.4
    1.1    1.6
 
      6
 
         1         1
         3
   1
         2         1
         4
   1
         3         2
         1         5
   1   2
         4         2
         2         6
   1   2
         5         1
         3
   2
         6         1
         4
   2
