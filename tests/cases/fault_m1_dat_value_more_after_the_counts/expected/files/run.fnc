This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
    1.2
    2.5
 
      6
 
         1         2
         3         4
   1   1
         2         2
         5         6
   1   1
         3         1
         1
   1
         4         1
         1
   1
         5         1
         2
   1
         6         1
         2
   1
