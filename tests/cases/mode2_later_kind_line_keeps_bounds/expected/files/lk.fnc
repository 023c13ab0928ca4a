This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
   1.47
   1.59
 
      6
 
         1         1
         2
   1
         2         2
         1         3
   1   1
         3         1
         2
   1
         4         1
         5
   1
         5         2
         4         6
   1   1
         6         1
         5
   1
