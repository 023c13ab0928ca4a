This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      2
      1    1.4
    1.2    1.6
 
      4
 
         1         1
         2
   2
         2         1
         1
   2
         3         1
         4
   2
         4         1
         3
   2
