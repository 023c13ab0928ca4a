This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      2
      1      2
   1.25      3
 
      8
 
         1         3
         3         5         6
   1   2   2
         2         3
         4         7         8
   1   2   2
         3         1
         1
   1
         4         1
         2
   1
         5         1
         1
   2
         6         1
         1
   2
         7         1
         2
   2
         8         1
         2
   2
