This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
    0.1
    0.5
 
      2
 
         1         1
         2
   1
         2         1
         1
   1
