This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
      1
    1.2
 
      4
 
         1         2
         3         2
   1   1
         3         1
         1
   1
         2         1
         1
   1
         3         0


