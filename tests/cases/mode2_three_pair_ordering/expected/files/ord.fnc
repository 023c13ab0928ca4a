This is a .fnc file created by FNC::rawsave 

 No. of possible rmin-rmax pairs: 
      3
      1      2    3.5
      2      3    4.5
 
     10
 
         1         2
         3         5
   2   3
         2         0


         3         2
         1         5
   2   1
         4         0


         5         2
         1         3
   3   1
         6         2
         8        10
   2   3
         7         0


         8         2
         6        10
   2   1
         9         0


        10         2
         6         8
   3   1
