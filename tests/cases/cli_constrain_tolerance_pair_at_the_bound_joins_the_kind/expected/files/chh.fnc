This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      2
   0.08 0.1249
  0.144 0.1875
 
      3
 
         1         2
         2         3
   1   1
         2         2
         1         3
   1   2
         3         2
         1         2
   1   2
