This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      1
-1.7e+308
1.7e+308
 
      6
 
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
         5         1
         6
   1
         6         1
         5
   1
