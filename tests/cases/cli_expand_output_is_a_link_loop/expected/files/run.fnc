This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
      1
    1.2
 
      4
 
         1         1
         2
   1
         2         1
         1
   1
         3         1
         4
   1
         4         1
         3
   1
